#include "analysis/time_window.h"

#include <gtest/gtest.h>

#include <string>

namespace quintrel {
namespace {

TEST(TimeWindowTest, ParsesTheThreeForms) {
  const struct {
    std::string text;
    bool valid, hasDate = false;
    int64_t secondOfDay = 0;
  } kCases[] = {
      {"14:03:22", true, false, 50602},
      {"2003-08-06T14:03:22", true, true, 50602},
      {"2003-08-06 00:00:00", true, true, 0},
      {"2004-02-29T23:59:59", true, true, 86399},
      {"2003-02-29T00:00:00", false},
      {"24:00:00", false},
      {"14:3:22", false},
      {"2003-08-06", false},
      {"2003-08-06x14:03:22", false},
      {"14:03:22 ", false},
      {"", false},
  };
  for (const auto& c : kCases) {
    TimeBound bound;
    ASSERT_EQ(TimeBound::Parse(c.text, &bound), c.valid) << c.text;
    if (!c.valid) continue;
    EXPECT_EQ(bound.hasDate, c.hasDate) << c.text;
    EXPECT_EQ(bound.secondOfDay, c.secondOfDay) << c.text;
  }
}

TEST(TimeWindowTest, TimesOfDayFallOnTheFirstDate) {
  TimeBound since, until;
  ASSERT_TRUE(TimeBound::Parse("23:00:00", &since));
  ASSERT_TRUE(TimeBound::Parse("2003-08-07T01:00:00", &until));
  TimeWindow window(since, until);
  const std::pair<const char*, bool> kCalls[] = {
      {"Mit Mai  6 23:30:00 2003 1", false},       // no date: in no window
      {"Wed Aug  6 22:59:59 2003 999999", false},  // fixes the first date
      {"Wed Aug  6 23:00:00 2003 0", true},       {"Thu Aug  7 00:59:59 2003 999999", true},
      {"Thu Aug  7 01:00:00 2003 0", false},      {"Thu Aug  7 23:30:00 2003 0", false},
  };
  for (const auto& [stamp, accepted] : kCalls) EXPECT_EQ(window.accepts(stamp), accepted) << stamp;
  EXPECT_FALSE(TimeWindow().active());
}

}  // namespace
}  // namespace quintrel
