#include "report/json_pull_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace quintrel {
namespace {

// Whether the pull reader passes over `text` as one whole document.
bool Accepts(const std::string& text) {
  try {
    JsonPullReader json(text);
    json.skip();
    json.finish();
  } catch (const JsonSyntaxError&) {
    return false;
  }
  return true;
}

TEST(JsonPullReaderTest, AcceptsWhatAStrictParserAccepts) {
  const char* kDocuments[] = {
      "{}", " [ ] ", "{\"a\":[1,-2,3.5,-0,0e1,1E+2,2e-3,true,false,null]}", "\xEF\xBB\xBF{}",
      "\"\\u00e9\\ud83d\\ude00\\n\\/\"", "\"caf\xC3\xA9 \xF0\x9F\x98\x80\"", "{\"a\":{\"b\":{}}}",
      // Refused by both:
      "", "{", "{\"a\"}", "{\"a\":1,}", "[1,]", "[,1]", "[1 2]", "{} x", "01", "1.", "-", ".5",
      "1e", "+1", "\"a", "\"\\x\"", "\"\\u12\"", "\"\\ud83d\"", "\"\\ude00\"", "\"\x01\"",
      "\"\xC0\xAF\"", "\"\xED\xA0\x80\"", "\"\xF4\x90\x80\x80\"", "\"\xE2\x82\"", "tru", "nul",
      "{\"a\":1}{}", "[\"\xFF\"]", "{1:2}", "\"\\ud83d\\u0041\""};
  for (const std::string text : kDocuments) {
    EXPECT_EQ(Accepts(text), nlohmann::json::accept(text)) << text;
  }
}

TEST(JsonPullReaderTest, ReadsTextsAndIntegersAsAStrictParserDoes) {
  const char* kTexts[] = {"\"plain and long enough for whole words\"",
                          "\"a\\\"b\\\\c\\td\"",
                          "\"\\u0000\\u001f\\u20AC\\uD834\\uDD1E\"",
                          "\"\xE2\x82\xAC x\"",
                          "\"\"",
                          "\"plain for a word, then \xC3\xA9\\n\xE2\x82\xAC\""};
  for (const std::string text : kTexts) {
    JsonPullReader json(text);
    EXPECT_EQ(std::string(json.text()), nlohmann::json::parse(text).get<std::string>()) << text;
    // Only a text with escapes is copied; one beyond ASCII stays in place.
    EXPECT_EQ(json.textInPlace(), text.find('\\') == std::string::npos) << text;
  }
  const char* kIntegers[] = {
      "0", "-0", "7", "-42", "123456789012345678", "9223372036854775807", "-9223372036854775808"};
  for (const std::string text : kIntegers) {
    JsonPullReader json(text);
    int64_t value = 1;
    ASSERT_TRUE(json.integer(&value)) << text;
    EXPECT_EQ(value, nlohmann::json::parse(text).get<int64_t>()) << text;
  }
  // Numbers that are no int64_t integer: beyond its range, with a fraction
  // or an exponent.
  for (const std::string text :
       {"9223372036854775808", "-9223372036854775809", "99999999999999999999", "1.0", "1e2"}) {
    JsonPullReader json(text);
    int64_t value;
    EXPECT_FALSE(json.integer(&value)) << text;
    EXPECT_NO_THROW(json.finish()) << text;  // consumed all the same
  }
  JsonPullReader notNumber("\"7\"");
  int64_t value;
  EXPECT_FALSE(notNumber.integer(&value));
  EXPECT_EQ(notNumber.text(), "7");
}

TEST(JsonPullReaderTest, WalksObjectsAndArrays) {
  JsonPullReader json("{\"a\": [1, {\"b\": null}], \"c\": true}");
  std::string_view key;
  json.enterObject();
  ASSERT_TRUE(json.nextKey(&key));
  EXPECT_EQ(key, "a");
  json.enterArray();
  ASSERT_TRUE(json.nextItem());
  EXPECT_DOUBLE_EQ(json.number(), 1.0);
  ASSERT_TRUE(json.nextItem());
  EXPECT_EQ(json.peek(), JsonPullReader::Kind::kObject);
  json.skip();
  EXPECT_FALSE(json.nextItem());
  ASSERT_TRUE(json.nextKey(&key));
  EXPECT_EQ(key, "c");
  EXPECT_TRUE(json.boolean());
  EXPECT_FALSE(json.nextKey(&key));
  EXPECT_NO_THROW(json.finish());
}

// Texts of every length around the widths scanned at once, with a quote,
// an escape, a control character or a UTF-8 sequence at every place: read
// as a strict parser reads them, refused where it refuses them.
TEST(JsonPullReaderTest, FindsWhatEndsAPlainRunAtEveryPlace) {
  const char* kSpecials[] = {"\"",       "\\\"",         "\\n",  "\x01",
                             "\xC3\xA9", "\xE2\x82\xAC", "\xFF", "\x7F"};
  for (size_t length = 0; length <= 40; ++length) {
    for (size_t place = 0; place <= length; ++place) {
      for (const char* special : kSpecials) {
        std::string inner = std::string(place, 'a') + special + std::string(length - place, 'b');
        for (const std::string& text : {"\"" + inner + "\"", "[\"" + inner + "\"]"}) {
          SCOPED_TRACE(text);
          bool valid = nlohmann::json::accept(text);
          EXPECT_EQ(Accepts(text), valid);
          if (!valid || text[0] != '"') continue;
          JsonPullReader json(text);
          EXPECT_EQ(std::string(json.text()), nlohmann::json::parse(text).get<std::string>());
        }
      }
    }
  }
}

TEST(JsonPullReaderTest, ReadsListsOfIntegersAsItemByItem) {
  struct Case {
    const char* list;
    bool whole;                   // every item an int64_t integer
    std::vector<int64_t> values;  // those read
  };
  const Case kCases[] = {
      {"[]", true, {}},
      {"[ ]", true, {}},
      {"[0]", true, {0}},
      {"[1,22,333,0,7]", true, {1, 22, 333, 0, 7}},
      {"[ 1 , 2 ,3]", true, {1, 2, 3}},  // blanks: the long way
      {"[-4,5]", true, {-4, 5}},
      {"[123456789012345678,1]", true, {123456789012345678, 1}},
      {"[1234567890123456789]", true, {1234567890123456789}},  // 19 digits
      {"[9223372036854775807,1]", true, {9223372036854775807, 1}},
      {"[1,9223372036854775808]", false, {1}},
      {"[1,2.5,3]", false, {1}},
      {"[1,2e1]", false, {1}},
      {"[1,\"2\"]", false, {1}},
      {"[1,true]", false, {1}},
  };
  for (const Case& test : kCases) {
    SCOPED_TRACE(test.list);
    JsonPullReader json(test.list);
    json.enterArray();
    std::vector<int64_t> values = {42};  // appended to
    EXPECT_EQ(json.integerItems(&values), test.whole);
    values.erase(values.begin());
    EXPECT_EQ(values, test.values);
    if (test.whole) {
      EXPECT_NO_THROW(json.finish());
    }
  }
  // Every length of integer, each digit at every place, with a comma or the
  // end right after it or after a blank, whether or not eight bytes follow.
  for (const std::string blank : {"", " "}) {
    std::string list = "[";
    std::vector<int64_t> expected;
    for (int length = 1; length <= 19; ++length) {
      for (int digit = 0; digit <= 9; ++digit) {
        std::string number = std::to_string(1 + (digit + length) % 8);  // fits int64_t
        for (int place = 1; place < length; ++place) number += char('0' + (digit + place) % 10);
        list += (list.size() > 1 ? blank + "," : "") + number;
        expected.push_back(std::stoll(number));
      }
      list += blank + ",0";
      expected.push_back(0);
    }
    list += blank + "]";
    SCOPED_TRACE(list);
    JsonPullReader json(list);
    json.enterArray();
    std::vector<int64_t> values;
    EXPECT_TRUE(json.integerItems(&values));
    EXPECT_EQ(values, expected);
    EXPECT_NO_THROW(json.finish());
  }
  // Leading zeros, a missing item and a missing end are refused as the
  // grammar refuses them.
  for (const char* list : {"[01]", "[1,01]", "[1,]", "[1", "[1,2", "[1 2]", "[,1]"}) {
    SCOPED_TRACE(list);
    JsonPullReader json(list);
    json.enterArray();
    std::vector<int64_t> values;
    // A missing item is no integer: what comes in its place is refused
    // when it is read.
    auto read = [&] {
      if (!json.integerItems(&values)) json.skip();
      json.finish();
    };
    EXPECT_THROW(read(), JsonSyntaxError);
  }
}

TEST(JsonPullReaderTest, RefusesNestingBeyondItsDepth) {
  EXPECT_TRUE(Accepts(std::string(500, '[') + std::string(500, ']')));
  EXPECT_FALSE(Accepts(std::string(100000, '[') + std::string(100000, ']')));
}

}  // namespace
}  // namespace quintrel
