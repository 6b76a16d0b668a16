#include "analysis/time_stamp.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

#include "parse/trace_grammar.h"
#include "tests/support/trace_patterns.h"

namespace quintrel {
namespace {

// Reads `text` with the time-stamp pattern, the reference for TimeStamp::Read.
bool ReadByPattern(const std::string& text, TimeStamp* stamp) {
  boost::cmatch match;
  const char* begin = text.data();
  if (!boost::regex_search(begin, begin + text.size(), match, quintrel_test::TimeStampPattern())) {
    return false;
  }
  stamp->month = TimeStamp::MonthOf(quintrel_test::Capture(match, 1));
  int64_t* numbers[] = {&stamp->day,     &stamp->hours, &stamp->minutes,
                        &stamp->seconds, &stamp->year,  &stamp->micros};
  for (int group = 2; group <= 7; ++group) {
    *numbers[group - 2] = ReadTraceNumber(quintrel_test::Capture(match, group));
  }
  return true;
}

void ExpectSameReading(const std::string& text) {
  TimeStamp byHand, byPattern;
  bool read = TimeStamp::Read(text, &byHand);
  ASSERT_EQ(read, ReadByPattern(text, &byPattern)) << testing::PrintToString(text);
  if (!read) return;
  const int64_t hand[] = {byHand.month,   byHand.day,  byHand.hours, byHand.minutes,
                          byHand.seconds, byHand.year, byHand.micros};
  const int64_t pattern[] = {byPattern.month,   byPattern.day,  byPattern.hours, byPattern.minutes,
                             byPattern.seconds, byPattern.year, byPattern.micros};
  for (size_t field = 0; field < std::size(hand); ++field) {
    ASSERT_EQ(hand[field], pattern[field]) << field << " of " << testing::PrintToString(text);
  }
}

TEST(TimeStampTest, ReadFindsWhatThePatternFinds) {
  const char* const kExamples[] = {
      "Wed Aug  6 14:03:22 2003 412345",
      "at Sat Aug 16 10:00:01 2003 7000 !",
      "Wed Aug   6 14:03:22 2003 5",
      "Wed Aug\t\v6 14:03:22 2003 5",
      "Wed Aug 6 14:03:22 2003",
      "x_y Aug 6 1:2:3 4 5",
      "Wed Aug  6 14:03:22 2003 5 Thu Sep  7 01:02:03 2004 6",
      "WedAug  6 14:03:22 2003 5 Thu Sep 7 01:02:03 2004 6",
      "\xe9t\xe9 Ao\xfbt 6 14:03:22 2003 5",
      "",
  };
  for (const char* text : kExamples) ExpectSameReading(text);
  // Texts put together from the pieces the pattern cares about.
  const char* const kPieces[] = {"Wed", " ", "  ", "Aug",  "6", "14",   ":",  "\t",
                                 "\n",  "_", "x",  "\xc3", "-", "2003", " 5", "0"};
  std::mt19937 random(5);
  for (int i = 0; i < 200000; ++i) {
    std::string text;
    for (int n = random() % 16; n > 0; --n) text += kPieces[random() % std::size(kPieces)];
    ExpectSameReading(text);
  }
}

}  // namespace
}  // namespace quintrel
