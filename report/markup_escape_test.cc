#include "report/markup_escape.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

namespace quintrel {
namespace {

const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD

std::string XmlText(const std::string& text) {
  std::ostringstream out;
  WriteXmlText(out, text);
  return out.str();
}

TEST(MarkupEscapeTest, EscapeMarkupAndXmlText) {
  EXPECT_EQ(EscapeMarkup("a<b && c>\"d\"\x01\xFF"), "a&lt;b &amp;&amp; c&gt;\"d\"\x01\xFF");
  EXPECT_EQ(EscapeMarkup("&amp;"), "&amp;amp;");
  EXPECT_EQ(XmlText("a<\x80>&\x01"), "a&lt;" + kBad + "&gt;&amp;" + kBad);
}

TEST(MarkupEscapeTest, ReplacesBytesThatCannotStandInXml) {
  const std::pair<std::string, std::string> cases[] = {
      {"\t\n\r\x7F text", "\t\n\r\x7F text"},
      {"a\x01z\x1F", "a" + kBad + "z" + kBad},
      {std::string("a\0b", 3), "a" + kBad + "b"},
      {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF",
       "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"},
      {"\x80", kBad},
      {"\xC0\xAF", kBad + kBad},
      {"\xE2\x82", kBad + kBad},
      {"\xE2\x82\x41", kBad + kBad + "A"},
      {"\xC3\xC3\xA9", kBad + "\xC3\xA9"},
      {"\xED\xA0\x80", kBad + kBad + kBad},
      {"\xEF\xBF\xBE", kBad + kBad + kBad},
      {"\xF4\x90\x80\x80\xF5", kBad + kBad + kBad + kBad + kBad},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(ReplaceNonXmlBytes(text), expected) << testing::PrintToString(text);
    EXPECT_EQ(XmlText(text), EscapeMarkup(expected)) << testing::PrintToString(text);
  }
}

}  // namespace
}  // namespace quintrel
