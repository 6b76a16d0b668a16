#include "report/json_text.h"

#include <cstdint>
#include <cstring>

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

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

const char* WriteJsonEscape(const char* at, const char* end, char** out) {
  unsigned char c = static_cast<unsigned char>(*at);
  if (c >= 0x80) {
    uint32_t code = 0;
    size_t length = DecodeUtf8(std::string_view(at, static_cast<size_t>(end - at)), &code);
    bool valid = length > 1 && (code < 0xD800 || code > 0xDFFF);
    const char* bytes = valid ? at : kReplacement;
    size_t size = valid ? length : 3;
    std::memcpy(*out, bytes, size);
    *out += size;
    return at + (valid ? length : 1);
  }
  const char* escape = AsciiEscape(c);
  const char control[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
  size_t size = escape != nullptr ? 2 : sizeof control;
  std::memcpy(*out, escape != nullptr ? escape : control, size);
  *out += size;
  return at + 1;
}

void AppendJsonChars(std::string_view text, TextBuffer* out) {
  // A piece at a time, so that the room asked for stays a few times a
  // piece whatever the text's size.
  const size_t kPiece = 4096;
  while (!text.empty()) {
    size_t piece = JsonPieceLength(text, kPiece);
    out->commit(WriteJsonChars(text.substr(0, piece), out->room(piece * kJsonCharRoom)));
    text.remove_prefix(piece);
  }
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
