#include "report/markup_escape.h"

#include <cstdint>
#include <sstream>

namespace quintrel {

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";

// The length of the valid UTF-8 sequence of an XML character that starts at
// `text[0]`, or 0 when the bytes there form none.
size_t XmlCharLength(std::string_view text) {
  unsigned char lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) {
    return (lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r') ? 1 : 0;
  }
  size_t length;
  uint32_t code;
  uint32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    unsigned char next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  if (code < minimum || code > 0x10FFFF || surrogate || code == 0xFFFE || code == 0xFFFF) {
    return 0;
  }
  return length;
}

const char* MarkupEntity(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    default:
      return nullptr;
  }
}

// Writes `text` byte for byte except where `replace` gives a replacement.
template <typename Replace>
void WriteReplaced(std::ostream& out, std::string_view text, Replace replace) {
  size_t start = 0, i = 0;
  while (i < text.size()) {
    size_t length = 1;
    const char* replacement = replace(text.substr(i), &length);
    if (replacement != nullptr) {
      out.write(text.data() + start, i - start);
      out << replacement;
      start = i + length;
    }
    i += length;
  }
  out.write(text.data() + start, text.size() - start);
}

}  // namespace

void WriteMarkup(std::ostream& out, std::string_view text) {
  WriteReplaced(out, text, [](std::string_view rest, size_t*) { return MarkupEntity(rest[0]); });
}

void WriteXmlText(std::ostream& out, std::string_view text) {
  WriteReplaced(out, text, [](std::string_view rest, size_t* length) -> const char* {
    size_t valid = XmlCharLength(rest);
    if (valid == 0) return kReplacement;  // one replacement per offending byte
    *length = valid;
    return valid == 1 ? MarkupEntity(rest[0]) : nullptr;
  });
}

std::string EscapeMarkup(std::string_view text) {
  std::ostringstream out;
  WriteMarkup(out, text);
  return out.str();
}

std::string ReplaceNonXmlBytes(std::string_view text) {
  std::ostringstream out;
  WriteReplaced(out, text, [](std::string_view rest, size_t* length) -> const char* {
    size_t valid = XmlCharLength(rest);
    if (valid == 0) return kReplacement;
    *length = valid;
    return nullptr;
  });
  return out.str();
}

}  // namespace quintrel
