#include "report/timeline_bars.h"

#include <gtest/gtest.h>

#include <vector>

namespace quintrel {
namespace {

// `count` buckets of `width` seconds from second 1000 on, bucket i with i
// calls, 10 * i ms DMCL, i % 4 threads and a longest call of i ms; only every
// `every`-th bucket is kept, as the model keeps buckets over a long span.
std::vector<TimelineBucket> Buckets(int64_t count, int64_t width, int64_t every = 1) {
  std::vector<TimelineBucket> buckets;
  for (int64_t i = 0; i < count; i += every) {
    buckets.push_back({1000 + i * width, i, 10 * i, i % 4, i});
  }
  return buckets;
}

TEST(TimelineBarsTest, MergesAdjacentBucketsIntoAtMostTheBarsAsked) {
  const struct {
    int64_t count, width, every;
    size_t maxBars;
    int64_t bucketsPerBar, barSeconds;
    size_t bars;
  } cases[] = {
      {1, 1, 1, 600, 1, 1, 1},
      {600, 1, 1, 600, 1, 1, 600},
      {601, 1, 1, 600, 2, 2, 301},
      {10000, 5, 1, 600, 17, 85, 589},
      {10, 60, 1, 3, 4, 240, 3},
      {10, 60, 1, 0, 10, 600, 1},  // at least one bar
      // Kept buckets far apart: bars stand for equal stretches of time, gaps
      // included.
      {100000, 1, 1000, 600, 166, 166, 597},
  };
  for (const auto& c : cases) {
    std::vector<TimelineBucket> buckets = Buckets(c.count, c.width, c.every);
    TimelineBars merged = TimelineBars::Merge(buckets, c.width, c.maxBars);
    EXPECT_EQ(merged.bucketsPerBar, c.bucketsPerBar) << c.count;
    EXPECT_EQ(merged.barSeconds, c.barSeconds) << c.count;
    ASSERT_EQ(merged.bars.size(), c.bars) << c.count;
    int64_t calls = 0, dmcl = 0, threads = 0, longest = 0;
    for (const TimelineBucket& bucket : buckets) {
      calls += bucket.calls, dmcl += bucket.dmclMs;
      threads = std::max(threads, bucket.threads), longest = std::max(longest, bucket.maxMs);
    }
    int64_t barCalls = 0, barDmcl = 0, barThreads = 0, barLongest = 0;
    for (size_t i = 0; i < merged.bars.size(); ++i) {
      const TimelineBar& bar = merged.bars[i];
      EXPECT_EQ(bar.start, 1000 + int64_t(i) * c.barSeconds);
      barCalls += bar.calls, barDmcl += bar.dmclMs;
      barThreads = std::max(barThreads, bar.threads), barLongest = std::max(barLongest, bar.maxMs);
    }
    EXPECT_EQ(barCalls, calls) << c.count;
    EXPECT_EQ(barDmcl, dmcl) << c.count;
    EXPECT_EQ(barThreads, threads) << c.count;
    EXPECT_EQ(barLongest, longest) << c.count;
    for (const TimelineBar& bar : merged.bars) {
      EXPECT_LE(bar.dmclMs, merged.bars[merged.busiest].dmclMs) << c.count;
    }
  }
}

TEST(TimelineBarsTest, ABarHoldsTheBucketsOfItsStretchOfTime) {
  // Buckets 0, 1 | 2, 3 | 4 of ten seconds each, merged two to a bar.
  TimelineBars merged = TimelineBars::Merge(Buckets(5, 10), 10, 3);
  ASSERT_EQ(merged.bars.size(), 3u);
  EXPECT_EQ(merged.bars[0].calls, 0 + 1);
  EXPECT_EQ(merged.bars[1].calls, 2 + 3);
  EXPECT_EQ(merged.bars[1].dmclMs, 20 + 30);
  EXPECT_EQ(merged.bars[1].threads, 3);  // the most of one bucket, not the sum
  EXPECT_EQ(merged.bars[2].maxMs, 4);
  EXPECT_TRUE(TimelineBars::Merge({}, 1, 600).bars.empty());
}

TEST(TimelineBarsTest, TheBusiestHasTheMostDmclTimeThenTheMostCalls) {
  const struct {
    std::vector<TimelineBucket> buckets;
    size_t busiest;
  } cases[] = {
      {{{0, 1, 5, 1, 5}, {1, 9, 4, 1, 1}, {2, 1, 5, 1, 5}}, 0},
      {{{0, 1, 5, 1, 5}, {1, 9, 4, 1, 1}, {2, 2, 5, 1, 5}}, 2},
      {{{0, 0, 0, 0, 0}, {1, 3, 0, 1, 0}}, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TimelineBars::Merge(c.buckets, 1, 600).busiest, c.busiest);
  }
}

}  // namespace
}  // namespace quintrel
