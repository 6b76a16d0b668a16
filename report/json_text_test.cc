#include "report/json_text.h"

#include <gtest/gtest.h>

#include <string>

namespace quintrel {
namespace {

std::string Chars(std::string_view text) {
  TextBuffer out;
  AppendJsonChars(text, &out);
  return std::string(out.view());
}

// Plain texts are read eight bytes at a time: a byte that needs care must be
// found wherever it stands in a block, and plain bytes beside it must not be
// taken for it.
TEST(JsonTextTest, EscapesAByteAtAnyPlaceOfABlock) {
  const struct {
    std::string byte;
    std::string written;
  } kBytes[] = {
      {std::string(1, '\0'), "\\u0000"},
      {"\x1f", "\\u001f"},
      {"\n", "\\n"},
      {"\"", "\\\""},
      {"\\", "\\\\"},
      {"\x80", "\xEF\xBF\xBD"},
      {"\xff", "\xEF\xBF\xBD"},
      {"\xC3\xA9", "\xC3\xA9"},
      {" ", " "},
      {"\x7f", "\x7f"},
      {"!", "!"},
      {"#", "#"},
      {"[", "["},
      {"]", "]"},
  };
  const std::string plain = "select a_b from t where x = 'y' and z";
  for (const auto& c : kBytes) {
    for (size_t at = 0; at <= 17; ++at) {
      std::string text = plain.substr(0, at) + c.byte + plain.substr(at, 17 - at);
      EXPECT_EQ(Chars(text), plain.substr(0, at) + c.written + plain.substr(at, 17 - at))
          << at << " " << testing::PrintToString(c.byte);
    }
  }
}

TEST(JsonTextTest, PlainTextsStandAsTheyAre) {
  for (size_t size = 0; size <= 24; ++size) {
    std::string text(size, 'a');
    for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>(0x20 + (i * 7) % 0x5f);
    std::string expected;
    for (char c : text)
      expected += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    EXPECT_EQ(Chars(text), expected) << text;
  }
}

// Arguments are written up to their comma: it must be found wherever it
// stands, and no other byte, 0xFF among them, taken for it.
TEST(JsonTextTest, WritesUpToTheStopByte) {
  const std::string plain = "select a_b from t where x = 'y' and z";
  for (size_t at = 0; at <= 17; ++at) {
    for (const std::string& before : {std::string(), std::string("\xff\""), std::string(1, '\0')}) {
      std::string text = before + plain.substr(0, at) + "," + plain.substr(at, 17 - at);
      std::string out(text.size() * kJsonCharRoom, '\0');
      size_t read = 0;
      char* end = WriteJsonCharsUntil(text, true, out.data(), &read);
      EXPECT_EQ(read, before.size() + at);
      EXPECT_EQ(std::string(out.data(), end), Chars(before + plain.substr(0, at))) << at;
      EXPECT_EQ(std::string(out.data(), WriteJsonCharsUntil(text, false, out.data(), &read)),
                Chars(text));
      EXPECT_EQ(read, text.size());
    }
  }
}

}  // namespace
}  // namespace quintrel
