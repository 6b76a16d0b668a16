#include "report/markup_escape.h"

#include <cstdint>
#include <sstream>

#include "report/report_format.h"

namespace quintrel {

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";

// The markup a text is written into.
enum class Markup { kXml, kHtml };

bool IsXmlChar(uint32_t code) {
  if (code < 0x20) return code == '\t' || code == '\n' || code == '\r';
  bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return !surrogate && code != 0xFFFE && code != 0xFFFF;
}

// HTML takes what XML takes, less the controls DEL and U+0080 to U+009F and
// the noncharacters, which its parser reports as errors.
bool IsHtmlChar(uint32_t code) {
  bool control = code >= 0x7F && code <= 0x9F;
  bool noncharacter = (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE;
  return IsXmlChar(code) && !control && !noncharacter;
}

// The length of the valid UTF-8 sequence of a character of `markup` that
// starts at `text[0]`, or 0 when the bytes there form none.
size_t CharLength(std::string_view text, Markup markup) {
  uint32_t code = 0;
  size_t length = DecodeUtf8(text, &code);
  if (length == 0) return 0;
  return (markup == Markup::kXml ? IsXmlChar(code) : IsHtmlChar(code)) ? length : 0;
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

// As MarkupEntity, and the quotes that would end an attribute value.
const char* AttributeEntity(char c) {
  switch (c) {
    case '"':
      return "&quot;";
    case '\'':
      return "&#39;";
    default:
      return MarkupEntity(c);
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

// Writes `text` with every byte that cannot stand in `markup` replaced by
// U+FFFD and each one-byte character as `entity` gives it.
void WriteClean(std::ostream& out, std::string_view text, Markup markup,
                const char* (*entity)(char)) {
  WriteReplaced(out, text, [&](std::string_view rest, size_t* length) -> const char* {
    size_t valid = CharLength(rest, markup);
    if (valid == 0) return kReplacement;  // one replacement per offending byte
    *length = valid;
    return valid == 1 && entity != nullptr ? entity(rest[0]) : nullptr;
  });
}

}  // namespace

size_t DecodeUtf8(std::string_view text, uint32_t* code) {
  unsigned char lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return *code = lead, 1;
  size_t length;
  uint32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, *code = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, *code = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, *code = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    unsigned char next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    *code = (*code << 6) | (next & 0x3F);
  }
  return *code < minimum || *code > 0x10FFFF ? 0 : length;
}

void WriteMarkup(std::ostream& out, std::string_view text) {
  WriteReplaced(out, text, [](std::string_view rest, size_t*) { return MarkupEntity(rest[0]); });
}

void WriteXmlText(std::ostream& out, std::string_view text) {
  WriteClean(out, text, Markup::kXml, &MarkupEntity);
}

void WriteHtmlText(std::ostream& out, std::string_view text) {
  WriteClean(out, text, Markup::kHtml, &MarkupEntity);
}

void WriteHtmlTextCut(std::ostream& out, std::string_view text, size_t maxBytes) {
  std::string_view shown = Utf8Prefix(text, maxBytes);
  WriteHtmlText(out, shown);
  if (shown.size() < text.size()) out << "\u2026";
}

void WriteHtmlAttribute(std::ostream& out, std::string_view text) {
  WriteClean(out, text, Markup::kHtml, &AttributeEntity);
}

std::string EscapeMarkup(std::string_view text) {
  std::ostringstream out;
  WriteMarkup(out, text);
  return out.str();
}

std::string ReplaceNonXmlBytes(std::string_view text) {
  std::ostringstream out;
  WriteClean(out, text, Markup::kXml, nullptr);
  return out.str();
}

std::string ReplaceNonHtmlBytes(std::string_view text) {
  std::ostringstream out;
  WriteClean(out, text, Markup::kHtml, nullptr);
  return out.str();
}

}  // namespace quintrel
