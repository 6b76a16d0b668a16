#include "analysis/stamp_clock.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/time_stamp.h"

namespace quintrel {
namespace {

// One clock reads the stamps in order, as it does the calls of a trace: a
// stamp read after another of the same second must not take over what the
// earlier one was found to be.
TEST(StampClock, ReadsStampsInOrder) {
  struct Step {
    std::string stamp;
    bool dated;
    int64_t seconds;
    int64_t subMillis;  // what the last number adds, as microseconds read
  } steps[] = {
      {"", false, 0, 0},
      {"Thu Jan  1 00:00:00 1970 5", true, 0, 0},
      {"Thu Jan  1 00:00:00 1970 999999", true, 0, 999},
      {"Wed Aug  6 14:03:22 2003 412345", true, 1060178602, 412},
      // The second of the stamp before, then back and forth between two.
      {"Wed Aug  6 14:03:22 2003 512345", true, 1060178602, 512},
      {"Wed Aug  6 14:03:25 2003 000999", true, 1060178605, 0},
      {"Wed Aug  6 14:03:22 2003 001000", true, 1060178602, 1},
      {"Wed Aug  6 14:03:25 2003 100000", true, 1060178605, 100},
      {"Wed Aug  6 14:03:22 2003 1", true, 1060178602, 0},
      {"14:03:22", false, 0, 0},
      {"14:03:22", false, 0, 0},
      {"Wed Aug  6 14:03:23 2003 0", true, 1060178603, 0},
      {"Wed Xyz  6 14:03:23 2003 0", false, 0, 0},
      // A second without a date stays one, read again.
      {"Wed Xyz  6 14:03:23 2003 000001", false, 0, 0},
      {"Wed Xyz  6 14:03:23 2003 000002", false, 0, 0},
      {"Wed Aug  6 14:03:23 2003 7", true, 1060178603, 0},
      // Microseconds of other than six digits, or not after a blank.
      {"Wed Aug  6 14:03:23 2003 1234567", true, 1060178603, 1234},
      {"Wed Aug  6 14:03:24 2003 12345", true, 1060178604, 12},
      // The last number stops at 2^31, as every number of a stamp does.
      {"Wed Aug  6 14:03:23 2003 99999999999", true, 1060178603, 2147483},
  };
  StampClock clock, millisClock;
  for (const Step& step : steps) {
    int64_t seconds = -1, millis = -1;
    EXPECT_EQ(clock.secondsOf(step.stamp, &seconds), step.dated) << step.stamp;
    EXPECT_EQ(millisClock.millisOf(step.stamp, &seconds, &millis), step.dated) << step.stamp;
    if (step.dated) {
      EXPECT_EQ(seconds, step.seconds) << step.stamp;
      EXPECT_EQ(millis, step.seconds * 1000 + step.subMillis) << step.stamp;
      EXPECT_EQ(clock.lastDays(), step.seconds / 86400) << step.stamp;
    }
  }
}

// Seconds of one day met in turn, as threads that overlap give them, read
// from their time of day alone: each as the stamp's own fields give it,
// also where the date or the form changes from one stamp to the next.
TEST(StampClock, SecondsOfOneDayAgreeWithTheirFields) {
  const std::string kStamps[] = {
      "Wed Aug  6 14:03:22 2003 412345", "Wed Aug  6 14:03:25 2003 000999",
      "Wed Aug  6 14:04:01 2003 100000", "Wed Aug  6 14:03:25 2003 200000",
      "Wed Aug  6 23:59:59 2003 999999", "Thu Aug  7 00:00:00 2003 000000",
      "Thu Aug  7 00:00:01 2003 000000", "Wed Aug  6 00:00:01 2003 000000",
      "Wed Aug  6 00:00:02 2004 000000", "Wed Aug  6 00:00:03 2004 000000",
      "Wed Aug  6 00:00:04 2004 5",      "Wed Aug  6 00:00:05 2004 000000",
      "Wed Aug  6 25:61:99 2004 000000", "Wed Aug  6 00:0x:06 2004 000000",
      "Wed Aug  6 00:00:07 2004 000000", "Wed Xyz  6 00:00:08 2004 000000",
      "Wed Xyz  6 00:00:09 2004 000000", "Wed Aug  6 00:00:10 2004 000000",
      "Wed Aug  6 00:00:11 2004 000000", "Wed Aug 16 00:00:11 2004 000000",
  };
  StampClock clock;
  for (const std::string& stamp : kStamps) {
    TimeStamp fields;
    bool dated = TimeStamp::ReadHeaderStamp(stamp, &fields) && fields.hasDate();
    int64_t seconds = -1, millis = -1;
    EXPECT_EQ(clock.millisOf(stamp, &seconds, &millis), dated) << stamp;
    if (!dated) continue;
    EXPECT_EQ(seconds, fields.secondsSinceEpoch()) << stamp;
    EXPECT_EQ(clock.lastDays(), fields.daysSinceEpoch()) << stamp;
  }
}

}  // namespace
}  // namespace quintrel
