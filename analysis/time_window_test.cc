#include "analysis/time_window.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace quintrel {
namespace {

using Kind = TimeBound::Kind;

TEST(TimeWindowTest, ParsesEveryForm) {
  const int64_t kAug6 = 12270;  // 2003-08-06, days since 1970-01-01
  const struct {
    std::string text;
    bool valid;
    Kind kind = Kind::kTimeOfDay;
    int64_t days = 0, seconds = 0, subSecond = 0;
  } kCases[] = {
      {"14:03:22", true, Kind::kTimeOfDay, 0, 50602},
      {"14:03", true, Kind::kTimeOfDay, 0, 50580},
      {"2003-08-06T14:03:22", true, Kind::kDateTime, kAug6, 50602},
      {"2003-08-06 00:00:00", true, Kind::kDateTime, kAug6, 0},
      {"2003-08-06T14:03", true, Kind::kDateTime, kAug6, 50580},
      {"2004-02-29T23:59:59", true, Kind::kDateTime, 12477, 86399},
      {"Wed Aug  6 18:00:00 2003", true, Kind::kDateTime, kAug6, 64800},
      {"Wed Aug 6 18:00:00 2003 412345", true, Kind::kDateTime, kAug6, 64800, 412345},
      {"Thu Aug 28 00:00:01 2003 0", true, Kind::kDateTime, kAug6 + 22, 1},
      {"+30s", true, Kind::kAfterStart, 0, 30},
      {"+15m", true, Kind::kAfterStart, 0, 900},
      {"+2h", true, Kind::kAfterStart, 0, 7200},
      {"+0s", true, Kind::kAfterStart, 0, 0},
      // What is none of the forms, or names no valid date and time.
      {"2003-02-29T00:00:00", false},
      {"24:00:00", false},
      {"14:60", false},
      {"14:3:22", false},
      {"14", false},
      {"2003-08-06", false},
      {"2003-08-06x14:03:22", false},
      {"14:03:22 ", false},
      {"", false},
      {"Wed Mai  6 18:00:00 2003", false},
      {"Wed Feb 30 18:00:00 2003", false},
      {"Wed Aug  6 18:00:00 03", false},
      {"Wed Aug  6 18:00:00 2003 ", false},
      {"Wed Aug  6 18:00:00 2003 12x", false},
      {"Aug  6 18:00:00 2003", false},
      {"Wed Aug 123 18:00:00 2003", false},
      {"+15", false},
      {"+m", false},
      {"+15d", false},
      {"+15mm", false},
      {"-15m", false},
      {"+1234567890s", false},
  };
  for (const auto& c : kCases) {
    TimeBound bound;
    ASSERT_EQ(TimeBound::Parse(c.text, &bound), c.valid) << c.text;
    if (!c.valid) continue;
    EXPECT_TRUE(bound.given) << c.text;
    EXPECT_EQ(bound.kind, c.kind) << c.text;
    EXPECT_EQ(bound.days, c.days) << c.text;
    EXPECT_EQ(bound.seconds, c.seconds) << c.text;
    EXPECT_EQ(bound.subSecond, c.subSecond) << c.text;
  }
}

// The stamps the window accepts of `calls`, in order, as "1" and "0".
std::string Accepted(const std::string& since, const std::string& until,
                     const std::string& traceStart, const std::vector<std::string>& calls) {
  TimeBound from, to;
  EXPECT_TRUE(since.empty() || TimeBound::Parse(since, &from)) << since;
  EXPECT_TRUE(until.empty() || TimeBound::Parse(until, &to)) << until;
  TimeWindow window(from, to);
  window.setTraceStart(traceStart);
  std::string accepted;
  for (const std::string& stamp : calls) accepted += window.accepts(stamp) ? "1" : "0";
  return accepted;
}

TEST(TimeWindowTest, PlacesEachFormInTime) {
  const std::string kStart = "Wed Aug  6 22:00:00 2003 500000";
  const struct {
    std::string since, until;
    std::vector<std::string> calls;
    std::string accepted;
  } kCases[] = {
      // A time of day falls on the first date a call carries; a stamp
      // without a date lies in no window.
      {"23:00:00",
       "2003-08-07T01:00",
       {"Mit Mai  6 23:30:00 2003 1", "Wed Aug  6 22:59:59 2003 999999",
        "Wed Aug  6 23:00:00 2003 0", "Thu Aug  7 00:59:59 2003 999999",
        "Thu Aug  7 01:00:00 2003 0", "Thu Aug  7 23:30:00 2003 0"},
       "001100"},
      // Whole seconds decide, unless the bound has a sub-second number.
      {"Wed Aug  6 23:00:00 2003",
       "Wed Aug  6 23:00:01 2003",
       {"Wed Aug  6 22:59:59 2003 999999", "Wed Aug  6 23:00:00 2003 0",
        "Wed Aug  6 23:00:01 2003 0"},
       "010"},
      {"Wed Aug  6 23:00:00 2003 250",
       "Wed Aug  6 23:00:00 2003 300",
       {"Wed Aug  6 23:00:00 2003 249", "Wed Aug  6 23:00:00 2003 250",
        "Wed Aug  6 23:00:00 2003 299", "Wed Aug  6 23:00:00 2003 300"},
       "0110"},
      // Offsets count from the trace's first stamp, its sub-second included.
      {"+1h",
       "+2h",
       {"Wed Aug  6 23:00:00 2003 499999", "Wed Aug  6 23:00:00 2003 500000",
        "Thu Aug  7 00:00:00 2003 499999", "Thu Aug  7 00:00:00 2003 500000"},
       "0110"},
      {"", "+30s", {"Wed Aug  6 22:00:30 2003 400000", "Wed Aug  6 22:00:31 2003 0"}, "10"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Accepted(c.since, c.until, kStart, c.calls), c.accepted) << c.since << " " << c.until;
  }
  // Without a dated first stamp an offset places no call in the window.
  EXPECT_EQ(Accepted("+0s", "", "Mit Mai  6 22:00:00 2003 0", {"Wed Aug  6 23:00:00 2003 0"}), "0");
  EXPECT_EQ(Accepted("", "", kStart, {"Mit Mai  6 23:30:00 2003 1"}), "0");
  EXPECT_FALSE(TimeWindow().active());
}

}  // namespace
}  // namespace quintrel
