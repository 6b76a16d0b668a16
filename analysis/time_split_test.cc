#include "analysis/time_split.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace quintrel {
namespace {

TEST(TimeSplitTest, MillisecondsBetweenTimeStamps) {
  const TimeSplitError kNone = TimeSplitError::kNone, kStart = TimeSplitError::kNoStartTime;
  const std::tuple<std::string, std::string, int64_t, TimeSplitError> kCases[] = {
      {"Wed Aug  6 14:03:22 2003 412345", "Wed Aug  6 14:05:01 2003 100000", 98688, kNone},
      {"Wed Aug  6 14:03:22 2003 1500", "Wed Aug  6 14:03:22 2003 0", -1, kNone},
      {"Wed Aug  6 14:03:22 2003 999", "Wed Aug  6 14:03:22 2003 1000", 0, kNone},
      {"Wed Aug  6 14:03:22 2003 5", "Wed Aug  6 14:03:22 2003 5", 0, kNone},
      {"Sat Aug 16 10:00:00 2003 0", "at Sat Aug 16 10:00:01 2003 7000 !", 1007, kNone},
      {"", "", 0, kStart},
      {"Wed Aug   6 14:03:22 2003 5", "Wed Aug  6 14:03:22 2003 5", 0, kStart},
      {"Wed Aug  6 14:03:22 2003 5", "Wed Aug  6 14:03:22 2003", 0, TimeSplitError::kNoEndTime},
      // Dates count when both stamps carry one.
      {"Wed Aug  6 23:59:59 2003 0", "Thu Aug  7 00:00:01 2003 0", 2000, kNone},
      {"Wed Dec 31 23:59:59 2003 0", "Thu Jan  1 00:00:00 2004 0", 1000, kNone},
      {"Sat Feb 28 12:00:00 2004 0", "Mon Mar  1 12:00:00 2004 0", 172800000, kNone},
      {"Wed Aug  6 10:00:00 2003 0", "Sat Aug  9 09:00:00 2003 0", 255600000, kNone},
      // Otherwise only the time of day.
      {"Mit Mai  6 23:59:59 2003 0", "Don Mai  7 00:00:01 2003 0", -86398000, kNone},
      {"Wed Aug  6 23:59:59 2003 0", "Thu Agosto  7 00:00:01 2003 0", -86398000, kNone},
      {"Wed Aug 32 23:59:59 2003 0", "Thu Sep  2 00:00:01 2003 0", -86398000, kNone},
      {"Wed Aug  6 23:59:59 0 0", "Thu Aug  7 00:00:01 10000 0", -86398000, kNone},
  };
  for (const auto& [start, end, millis, error] : kCases) {
    const TimeSplit split = ElapsedMillis(start, end);
    EXPECT_EQ(split.elapsedMs, millis) << start << " / " << end;
    EXPECT_EQ(split.error, error) << start << " / " << end;
  }
  EXPECT_STREQ(TimeSplitMessage(kStart), "can't construct start time\n");
  EXPECT_STREQ(TimeSplitMessage(TimeSplitError::kNoEndTime), "can't construct end time\n");
  EXPECT_STREQ(TimeSplitMessage(kNone), "");
}

}  // namespace
}  // namespace quintrel
