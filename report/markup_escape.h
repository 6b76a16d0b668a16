// Making trace texts safe to place in the HTML page and the XML document.
#ifndef QUINTREL_REPORT_MARKUP_ESCAPE_H_
#define QUINTREL_REPORT_MARKUP_ESCAPE_H_

#include <string>
#include <string_view>

namespace quintrel {

// `text` with "&" as "&amp;", "<" as "&lt;" and ">" as "&gt;"; every other
// byte unchanged.
std::string EscapeMarkup(std::string_view text);

// `text` with every byte that cannot stand in a well-formed UTF-8 XML 1.0
// document replaced by U+FFFD: control characters other than tab, line feed
// and carriage return, bytes outside a valid UTF-8 sequence, and the bytes of
// a sequence that encodes no XML character (U+FFFE, U+FFFF).
std::string ReplaceNonXmlBytes(std::string_view text);

// Both of the above: a data text as the XML report writes it.
std::string XmlText(std::string_view text);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_MARKUP_ESCAPE_H_
