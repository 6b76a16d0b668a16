#include "report/json_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>

namespace quintrel {
namespace {

using Json = nlohmann::ordered_json;

// What the writer makes of `write`, and what the JSON library's dump with
// one blank an indent makes of `expected`: the two must be the same bytes.
void ExpectSameAsLibrary(const std::function<void(JsonWriter&)>& write, const Json& expected) {
  std::ostringstream out;
  JsonWriter json(&out);
  write(json);
  EXPECT_EQ(out.str(), expected.dump(1, ' ', false, Json::error_handler_t::replace));
}

TEST(JsonWriterTest, WritesWhatTheLibraryDumps) {
  ExpectSameAsLibrary(
      [](JsonWriter& json) {
        json.beginObject();
        json.endObject();
      },
      Json::object());
  ExpectSameAsLibrary(
      [](JsonWriter& json) {
        json.beginArray();
        json.value(int64_t{-3});
        json.beginArray();
        json.endArray();
        json.beginObject();
        json.endObject();
        json.value("x");
        json.endArray();
      },
      Json::array({-3, Json::array(), Json::object(), "x"}));
  ExpectSameAsLibrary(
      [](JsonWriter& json) {
        json.beginObject();
        json.field("format", "quintrel-profile");
        json.field("big", uint64_t{18446744073709551615u});
        json.key("nested");
        json.beginObject();
        json.key("list");
        json.beginArray();
        json.value(true);
        json.value(false);
        json.endArray();
        json.field("empty", std::string_view());
        json.endObject();
        json.field("flag", true);
        json.endObject();
      },
      Json{{"format", "quintrel-profile"},
           {"big", uint64_t{18446744073709551615u}},
           {"nested", {{"list", {true, false}}, {"empty", ""}}},
           {"flag", true}});
}

TEST(JsonWriterTest, LongTextsWrittenInPiecesAsTheLibraryWritesThemWhole) {
  // Texts past the piece length, of ASCII bytes (some escaped) mixed with
  // valid and invalid UTF-8, so that pieces end beside every kind of
  // sequence; and one with no ASCII byte at all, written whole.
  const std::string kAscii[] = {"x", "\"", "\\", "\x01", "\n"};
  const std::string kOther[] = {"\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\x80",
                                "\xc3",     "\xff",         "\xed\xa0\x80"};
  std::mt19937 random(11);
  for (size_t asciiEvery : {1, 3, 50, 0}) {
    std::string text;
    for (size_t i = 0; text.size() < 300000; ++i) {
      bool ascii = asciiEvery != 0 && i % asciiEvery == 0;
      text += ascii ? kAscii[random() % std::size(kAscii)] : kOther[random() % std::size(kOther)];
    }
    ExpectSameAsLibrary([&text](JsonWriter& json) { json.value(text); }, Json(text));
  }
}

TEST(JsonWriterTest, NumbersAndTextsAsTheLibraryWritesThem) {
  const double kDoubles[] = {0.0, 1.0, -2.5, 0.1, 12.345, 1e21, 1e-7, 123456789.125, 33.333};
  for (double number : kDoubles) {
    ExpectSameAsLibrary([number](JsonWriter& json) { json.value(number); }, Json(number));
  }
  const std::string kTexts[] = {"plain", "quote \" backslash \\ slash /", "\b\f\n\r\t\x01\x1f\x7f",
                                "caf\xc3\xa9 \xf0\x9f\x98\x80",
                                // Invalid UTF-8: lone continuations, cut sequences, overlong forms,
                                // surrogates.
                                "\x80\xbf \xc3\x28 \xe2\x82 \xc0\xaf \xed\xa0\x80 \xff end"};
  for (const std::string& text : kTexts) {
    ExpectSameAsLibrary([&text](JsonWriter& json) { json.value(text); }, Json(text));
    ExpectSameAsLibrary(
        [&text](JsonWriter& json) {
          json.beginObject();
          json.field(text, text);
          json.endObject();
        },
        Json{{text, text}});
  }
}

}  // namespace
}  // namespace quintrel
