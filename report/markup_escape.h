// Writing trace texts into the HTML pages and the XML document safely.
#ifndef QUINTREL_REPORT_MARKUP_ESCAPE_H_
#define QUINTREL_REPORT_MARKUP_ESCAPE_H_

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace quintrel {

// The code point of the valid UTF-8 sequence at `text[0]` (`text` not empty)
// and its length, or length 0 when the bytes there form none.
size_t DecodeUtf8(std::string_view text, uint32_t* code);

// Writes `text` with "&" as "&amp;", "<" as "&lt;" and ">" as "&gt;"; every
// other byte unchanged.
void WriteMarkup(std::ostream& out, std::string_view text);
// Writes `text` as the XML report holds data: every byte that cannot stand in
// a well-formed UTF-8 XML 1.0 document replaced by U+FFFD (control characters
// other than tab, line feed and carriage return, bytes outside a valid UTF-8
// sequence, the bytes of a sequence that encodes no XML character), then
// escaped as WriteMarkup does.
void WriteXmlText(std::ostream& out, std::string_view text);
// Writes `text` as element text of an HTML5 page: as WriteXmlText does, and
// DEL, the C1 controls (U+0080 to U+009F) and the noncharacters (U+FDD0 to
// U+FDEF, U+xFFFE, U+xFFFF) replaced by U+FFFD too.
void WriteHtmlText(std::ostream& out, std::string_view text);
// Writes the first `maxBytes` of `text`, cut where a character begins, as
// WriteHtmlText does, and "\u2026" where the text was cut.
void WriteHtmlTextCut(std::ostream& out, std::string_view text, size_t maxBytes);
// Writes `text` as the value of a quoted HTML attribute: as WriteHtmlText
// does, and '"' as "&quot;" and "'" as "&#39;".
void WriteHtmlAttribute(std::ostream& out, std::string_view text);

// EscapeMarkup returns what WriteMarkup writes; ReplaceNonXmlBytes and
// ReplaceNonHtmlBytes return `text` with the replacements of WriteXmlText and
// WriteHtmlText, without escaping.
std::string EscapeMarkup(std::string_view text);
std::string ReplaceNonXmlBytes(std::string_view text);
std::string ReplaceNonHtmlBytes(std::string_view text);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_MARKUP_ESCAPE_H_
