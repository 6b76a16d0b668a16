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

std::string HtmlText(const std::string& text) {
  std::ostringstream out;
  WriteHtmlText(out, text);
  return out.str();
}

std::string HtmlAttribute(const std::string& text) {
  std::ostringstream out;
  WriteHtmlAttribute(out, text);
  return out.str();
}

TEST(MarkupEscapeTest, HtmlReplacesWhatXmlDoesAndMore) {
  // Each case: the text, then what HTML keeps of it where XML keeps it all.
  const std::pair<std::string, std::string> cases[] = {
      {"\x7F", kBad},
      {"\xC2\x80\xC2\x9F", kBad + kBad + kBad + kBad},  // one per byte
      {"\xC2\xA0\xC2\xBF", "\xC2\xA0\xC2\xBF"},
      {"\xEF\xB7\x90\xEF\xB7\xAF", kBad + kBad + kBad + kBad + kBad + kBad},
      {"\xEF\xB7\x8F\xEF\xB7\xB0", "\xEF\xB7\x8F\xEF\xB7\xB0"},
      {"\xF0\x9F\xBF\xBE", kBad + kBad + kBad + kBad},
      {"\xF4\x8F\xBF\xBF", kBad + kBad + kBad + kBad},
      {"\xF0\x9F\xBF\xBD", "\xF0\x9F\xBF\xBD"},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(ReplaceNonXmlBytes(text), text) << testing::PrintToString(text);
    EXPECT_EQ(ReplaceNonHtmlBytes(text), expected) << testing::PrintToString(text);
  }
  // Everything XML replaces, HTML replaces too.
  for (const std::string& text : {std::string("a\0b", 3), std::string("\x01\x80\xED\xA0\x80")}) {
    EXPECT_EQ(ReplaceNonHtmlBytes(text), ReplaceNonXmlBytes(text));
  }
}

TEST(MarkupEscapeTest, HtmlTextAndAttributesEscapeWhatEndsThem) {
  const std::string hostile = "\"><img src=x onerror='alert(1)'>&\x01";
  EXPECT_EQ(HtmlText(hostile), "\"&gt;&lt;img src=x onerror='alert(1)'&gt;&amp;" + kBad);
  EXPECT_EQ(HtmlAttribute(hostile),
            "&quot;&gt;&lt;img src=x onerror=&#39;alert(1)&#39;&gt;&amp;" + kBad);
  EXPECT_EQ(HtmlAttribute("caf\xC3\xA9 \x7F"), "caf\xC3\xA9 " + kBad);
}

}  // namespace
}  // namespace quintrel
