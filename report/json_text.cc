#include "report/json_text.h"

#include <cstdint>

#include "report/markup_escape.h"

namespace quintrel {

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";
const char kHex[] = "0123456789abcdef";

// The escape of an ASCII byte, or null when it stands as it is.
const char* AsciiEscape(unsigned char c) {
  switch (c) {
    case '"':
      return "\\\"";
    case '\\':
      return "\\\\";
    case '\n':
      return "\\n";
    case '\t':
      return "\\t";
    case '\r':
      return "\\r";
    default:
      return nullptr;
  }
}

void AppendControl(unsigned char c, TextBuffer* out) {
  const char escape[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
  out->append(std::string_view(escape, sizeof escape));
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

void AppendJsonChars(std::string_view text, TextBuffer* out) {
  size_t plain = 0;  // where the run of bytes that stand as they are began
  size_t at = 0;
  while (at < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[at]);
    if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
      ++at;
      continue;
    }
    uint32_t code = 0;
    size_t length = c < 0x80 ? 1 : DecodeUtf8(text.substr(at), &code);
    if (length > 1 && (code < 0xD800 || code > 0xDFFF)) {
      at += length;
      continue;
    }
    out->append(text.substr(plain, at - plain));
    if (c >= 0x80) {
      out->append(kReplacement);
    } else if (const char* escape = AsciiEscape(c)) {
      out->append(escape);
    } else {
      AppendControl(c, out);
    }
    plain = ++at;
  }
  out->append(text.substr(plain));
}

void AppendJsonString(std::string_view text, TextBuffer* out) {
  out->push_back('"');
  AppendJsonChars(text, out);
  out->push_back('"');
}

size_t JsonPieceLength(std::string_view text, size_t size) {
  if (text.size() <= size) return text.size();
  size_t cut = size;
  // Back to the lead byte of the sequence the cut would split, if any.
  while (cut > size - 3 && IsContinuation(static_cast<unsigned char>(text[cut]))) --cut;
  bool lead = static_cast<unsigned char>(text[cut]) >= 0xC0;
  return lead || !IsContinuation(static_cast<unsigned char>(text[cut])) ? cut : size;
}

}  // namespace quintrel
