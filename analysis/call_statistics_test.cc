#include "analysis/call_statistics.h"

#include <gtest/gtest.h>

#include <limits>

namespace quintrel {
namespace {

TEST(CallStatisticsTest, TotalsSaturateInsteadOfWrapping) {
  // 4.3 million calls of the longest duration a result line can give pass
  // the signed 64-bit range.
  TraceCall call;
  call.setApiLineText("get,c,x");
  call.timeStamp = "Wed Aug  6 14:03:22 2003 1";
  call.durationMs = 1000 * int64_t{2147483647} + 2147483647;
  CallStatistics statistics;
  const int64_t kCalls = 4300000;
  for (int64_t i = 0; i < kCalls; ++i) statistics.add(&call, false);
  Profile profile;
  statistics.moveInto(&profile);
  EXPECT_EQ(profile.totalCallMillis, std::numeric_limits<int64_t>::max());
  ASSERT_EQ(profile.apiSummary.size(), 1u);
  EXPECT_EQ(profile.apiSummary[0].frequency, kCalls);
  EXPECT_GT(profile.apiSummary[0].durationMs, 9.2e18);
}

}  // namespace
}  // namespace quintrel
