#include "report/elapsed_time.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

namespace quintrel {
namespace {

TEST(ElapsedTimeTest, MillisecondsBetweenTimeStamps) {
  const std::string kStart = "can't construct start time\n";
  const std::tuple<std::string, std::string, int64_t, std::string> kCases[] = {
      {"Wed Aug  6 14:03:22 2003 412345", "Wed Aug  6 14:05:01 2003 100000", 98688, ""},
      {"Wed Aug  6 14:03:22 2003 1500", "Wed Aug  6 14:03:22 2003 0", -1, ""},
      {"Wed Aug  6 14:03:22 2003 999", "Wed Aug  6 14:03:22 2003 1000", 0, ""},
      {"Wed Aug  6 14:03:22 2003 5", "Wed Aug  6 14:03:22 2003 5", 0, ""},
      {"Sat Aug 16 10:00:00 2003 0", "at Sat Aug 16 10:00:01 2003 7000 !", 1007, ""},
      {"", "", 0, kStart},
      {"Wed Aug   6 14:03:22 2003 5", "Wed Aug  6 14:03:22 2003 5", 0, kStart},
      {"Wed Aug  6 14:03:22 2003 5", "Wed Aug  6 14:03:22 2003", 0, "can't construct end time\n"},
      // Dates count when both stamps carry one.
      {"Wed Aug  6 23:59:59 2003 0", "Thu Aug  7 00:00:01 2003 0", 2000, ""},
      {"Wed Dec 31 23:59:59 2003 0", "Thu Jan  1 00:00:00 2004 0", 1000, ""},
      {"Sat Feb 28 12:00:00 2004 0", "Mon Mar  1 12:00:00 2004 0", 172800000, ""},
      {"Wed Aug  6 10:00:00 2003 0", "Sat Aug  9 09:00:00 2003 0", 255600000, ""},
      // Otherwise only the time of day.
      {"Mit Mai  6 23:59:59 2003 0", "Don Mai  7 00:00:01 2003 0", -86398000, ""},
      {"Wed Aug  6 23:59:59 2003 0", "Thu Agosto  7 00:00:01 2003 0", -86398000, ""},
      {"Wed Aug 32 23:59:59 2003 0", "Thu Sep  2 00:00:01 2003 0", -86398000, ""},
      {"Wed Aug  6 23:59:59 0 0", "Thu Aug  7 00:00:01 10000 0", -86398000, ""},
  };
  for (const auto& [start, end, millis, printed] : kCases) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(elapsedMillis(start, end), millis) << start << " / " << end;
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), printed) << start << " / " << end;
  }
}

}  // namespace
}  // namespace quintrel
