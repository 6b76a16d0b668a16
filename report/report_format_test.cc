#include "report/report_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

namespace quintrel {
namespace {

TEST(ReportFormatTest, NumbersAndSizes) {
  EXPECT_EQ(Fixed(12.345, 1), "12.3");
  EXPECT_EQ(Fixed(0.5, 0), "0");  // to even, as printf rounds
  EXPECT_EQ(Fixed(2.0 / 3.0, 3), "0.667");
  const std::pair<int64_t, std::string> grouped[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1,000"},
      {-1000, "-1,000"},
      {-999, "-999"},
      {1234567, "1,234,567"},
      {INT64_MIN, "-9,223,372,036,854,775,808"},
  };
  for (const auto& [value, expected] : grouped) EXPECT_EQ(Grouped(value), expected) << value;
  EXPECT_EQ(PercentOf(1, 8), "12.5");
  EXPECT_EQ(PercentOf(5, 0), "0.0");
  EXPECT_EQ(PercentOf(5, -1), "0.0");
  const std::pair<uint64_t, std::string> sizes[] = {
      {0, "0 bytes"},
      {1023, "1023 bytes"},
      {1024, "1.0 KB"},
      {36140, "35.3 KB"},
      {209715200, "200.0 MB"},
      {uint64_t{1} << 40, "1.0 TB"},
      {uint64_t{1} << 52, "4096.0 TB"},
  };
  for (const auto& [bytes, expected] : sizes) EXPECT_EQ(ByteSize(bytes), expected) << bytes;
}

TEST(ReportFormatTest, DurationsInTheirTwoLargestUnits) {
  const std::pair<int64_t, std::string> durations[] = {
      {0, "0 ms"},
      {999, "999 ms"},
      {1000, "1.0 s"},
      {12149, "12.1 s"},
      {59999, "60.0 s"},
      {60000, "1 min"},
      {185000, "3 min 5 s"},
      {3600000, "1 h"},
      {30687428, "8 h 31 min"},
      {86400000 + 4 * 3600000 + 59000, "1 d 4 h"},
      {INT64_MAX, "106751991167 d 7 h"},
  };
  for (const auto& [ms, expected] : durations) EXPECT_EQ(HumanDuration(ms), expected) << ms;
}

TEST(ReportFormatTest, Utf8PrefixEndsBetweenCharacters) {
  struct Case {
    std::string text;
    size_t maxBytes;
    std::string expected;
  };
  const Case cases[] = {
      {"abc", 5, "abc"},
      {"abc", 3, "abc"},
      {"abc", 2, "ab"},
      {"abc", 0, ""},
      {"a\xC3\xA9", 2, "a"},  // not half of the é
      {"a\xC3\xA9z", 3, "a\xC3\xA9"},
      {"\xE2\x82\xAC\xE2\x82\xAC", 5, "\xE2\x82\xAC"},
      {"\xF0\x9F\x98\x80", 3, ""},
      {"ab\x80\x80\x80\x80\x80", 6, "ab\x80"},  // stray continuation bytes: cut anyway
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8Prefix(c.text, c.maxBytes), c.expected)
        << testing::PrintToString(c.text) << " " << c.maxBytes;
  }
}

}  // namespace
}  // namespace quintrel
