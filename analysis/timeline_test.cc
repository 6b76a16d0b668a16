#include "analysis/timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace quintrel {
namespace {

const int64_t kDay = 86400, kStart = 12345 * kDay + 9 * 3600;  // 09:00 on a day

TEST(TimelineTest, WidthIsTheSmallestGivingAtMost120Buckets) {
  const struct {
    int64_t span;  // seconds between the first and the last call
    int64_t width;
    size_t buckets;
  } kCases[] = {
      {0, 1, 1},         {119, 1, 120},      {120, 5, 25},         {599, 5, 120},
      {600, 10, 61},     {3599, 30, 120},    {7199, 60, 120},      {36000, 900, 41},
      {35999, 300, 120}, {107999, 900, 120}, {3 * kDay, 3600, 73}, {200 * kDay, kDay, 201},
  };
  for (const auto& c : kCases) {
    Timeline timeline(0);
    // Calls out of order, as threads deliver them.
    timeline.add(kStart + c.span, 1, 0);
    timeline.add(kStart, 2, 1);
    timeline.add(kStart + c.span / 2, 3, 0);
    EXPECT_EQ(timeline.bucketSeconds(), c.width) << c.span;
    EXPECT_EQ(timeline.buckets().size(), c.buckets) << c.span;
  }
}

TEST(TimelineTest, MergingKeepsTheSumsAndDistinctThreads) {
  Timeline timeline(0);
  int64_t total = 0;
  for (int64_t second = 0; second < 1000; ++second) {
    timeline.add(kStart + second, second, static_cast<uint32_t>(second % 3));
    total += second;
  }
  std::vector<TimelineBucket> buckets = timeline.buckets();
  ASSERT_EQ(timeline.bucketSeconds(), 10);
  ASSERT_EQ(buckets.size(), 100u);
  int64_t sum = 0, calls = 0;
  for (const TimelineBucket& bucket : buckets) {
    sum += bucket.dmclMs;
    calls += bucket.calls;
    EXPECT_EQ(bucket.threads, 3);
    EXPECT_EQ(bucket.start % 10, 0);
  }
  EXPECT_EQ(sum, total);
  EXPECT_EQ(calls, 1000);
  EXPECT_EQ(buckets[99].maxMs, 999);
}

// The nearest-rank percentile of `values`, computed apart from the model.
int64_t BruteForcePercentile(std::vector<int64_t> values, int p) {
  std::sort(values.begin(), values.end());
  size_t rank = (size_t(p) * values.size() + 99) / 100;
  return values[std::max<size_t>(rank, 1) - 1];
}

TEST(TimelineTest, BucketPercentilesStayExactThroughMerges) {
  // Buckets widen from 1 s to 30 s as the calls arrive; durations repeat
  // and spread, some far above the rest.
  Timeline timeline(0);
  std::map<int64_t, std::vector<int64_t>> byBucket;
  for (int64_t i = 0; i < 3000; ++i) {
    int64_t second = (i * 7) % 3600, ms = (i * 37) % 500 + (i % 97 == 0 ? 100000 : 0);
    timeline.add(kStart + second, ms, 0);
    byBucket[(kStart + second) / 30 * 30].push_back(ms);
  }
  ASSERT_EQ(timeline.bucketSeconds(), 30);
  for (const TimelineBucket& bucket : timeline.buckets()) {
    const std::vector<int64_t>& values = byBucket[bucket.start];
    ASSERT_EQ(bucket.calls, int64_t(values.size()));
    if (values.empty()) continue;
    EXPECT_EQ(bucket.p50Ms, BruteForcePercentile(values, 50)) << bucket.start;
    EXPECT_EQ(bucket.p95Ms, BruteForcePercentile(values, 95)) << bucket.start;
    EXPECT_EQ(bucket.p99Ms, BruteForcePercentile(values, 99)) << bucket.start;
    EXPECT_EQ(bucket.maxMs, *std::max_element(values.begin(), values.end()));
    EXPECT_DOUBLE_EQ(bucket.meanMs, double(bucket.dmclMs) / double(bucket.calls));
  }
}

TEST(TimelineTest, ThreadsThatComeBackCountOnce) {
  // Calls go back and forth between two buckets, as overlapping threads
  // deliver them, and the buckets merge when the timeline widens.
  Timeline timeline(0);
  for (int round = 0; round < 50; ++round) {
    for (uint32_t thread = 0; thread < 100; ++thread) {
      timeline.add(kStart + (thread + round) % 2, 1, thread);
    }
  }
  std::vector<TimelineBucket> buckets = timeline.buckets();
  ASSERT_EQ(buckets.size(), 2u);
  EXPECT_EQ(buckets[0].threads, 100);
  EXPECT_EQ(buckets[1].threads, 100);
  timeline.add(kStart + 200, 1, 7);  // widens to 5 s: one bucket holds both
  buckets = timeline.buckets();
  EXPECT_EQ(buckets.front().threads, 100);
  EXPECT_EQ(buckets.back().threads, 1);
}

// Two million threads, numbered as they first appear, then all again in
// reverse order in the next second: counted in linear time this takes a
// moment; inserted one by one into a sorted list, a quarter of an hour.
TEST(TimelineTest, ManyThreadsInReverseOrderCountInLinearTime) {
  const uint32_t kThreads = 2000000;
  Timeline timeline(0);
  for (uint32_t thread = 0; thread < kThreads; ++thread) timeline.add(kStart, 1, thread);
  for (uint32_t thread = kThreads; thread-- > 0;) timeline.add(kStart + 1, 1, thread);
  std::vector<TimelineBucket> buckets = timeline.buckets();
  ASSERT_EQ(buckets.size(), 2u);
  EXPECT_EQ(buckets[0].threads, int64_t{kThreads});
  EXPECT_EQ(buckets[1].threads, int64_t{kThreads});
}

TEST(TimelineTest, FixedWidthAndGaps) {
  Timeline fixed(7);
  fixed.add(kStart, 5, 0);
  fixed.add(kStart + 70, 5, 0);
  EXPECT_EQ(fixed.bucketSeconds(), 7);
  EXPECT_EQ(fixed.buckets().size(), 11u);  // the empty buckets between are there
  Timeline sparse(1);
  sparse.add(kStart, 1, 0);
  sparse.add(kStart + 10 * kDay, 1, 0);  // too many buckets to fill
  EXPECT_EQ(sparse.buckets().size(), 2u);
}

// Calls at --bucket=1 in several orders: each bucket's figures match a
// brute-force count, whether read, taken as figures or taken as buckets.
TEST(TimelineTest, BucketsAreRightWhateverTheOrderOfTheStamps) {
  auto ascending = [](int i) { return int64_t{i} * 3; };
  auto descending = [](int i) { return int64_t{999 - i} * 3; };
  auto zigzag = [](int i) { return int64_t{i % 2 == 0 ? i : 998 - i} * 3; };
  auto revisits = [](int i) { return int64_t{(i * 7) % 300}; };
  auto lateOnes = [](int i) { return int64_t{i % 10 == 9 ? i - 500 : i}; };
  const struct {
    const char* name;
    int64_t (*second)(int);
  } kCases[] = {{"ascending", ascending},
                {"descending", descending},
                {"zigzag", zigzag},
                {"revisits", revisits},
                {"late ones", lateOnes}};
  for (const auto& c : kCases) {
    Timeline timeline(1), taken(1), figures(1);
    std::map<int64_t, std::vector<int64_t>> expected;
    std::map<int64_t, std::vector<uint32_t>> threads;
    for (int i = 0; i < 1000; ++i) {
      int64_t second = kStart + c.second(i), ms = (i * 37) % 90;
      uint32_t thread = static_cast<uint32_t>(i % 4);
      for (Timeline* each : {&timeline, &taken, &figures}) each->add(second, ms, thread);
      expected[second].push_back(ms);
      threads[second].push_back(thread);
    }
    std::vector<TimelineBucket> read = timeline.buckets();
    EXPECT_EQ(figures.takeFigures().size(), read.size()) << c.name;
    std::map<int64_t, MergeableBucket> held = taken.takeBuckets();
    ASSERT_EQ(held.size(), expected.size()) << c.name;
    size_t present = 0;
    for (const TimelineBucket& bucket : read) {
      if (bucket.calls == 0) continue;
      ++present;
      const std::vector<int64_t>& values = expected[bucket.start];
      std::vector<uint32_t> distinct = threads[bucket.start];
      std::sort(distinct.begin(), distinct.end());
      distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
      ASSERT_EQ(bucket.calls, int64_t(values.size())) << c.name << " " << bucket.start;
      EXPECT_EQ(bucket.threads, int64_t(distinct.size())) << c.name << " " << bucket.start;
      EXPECT_EQ(bucket.p50Ms, BruteForcePercentile(values, 50)) << c.name;
      EXPECT_EQ(bucket.maxMs, *std::max_element(values.begin(), values.end())) << c.name;
      EXPECT_EQ(held[bucket.start].threads, distinct) << c.name << " " << bucket.start;
    }
    EXPECT_EQ(present, expected.size()) << c.name;
  }
}

}  // namespace
}  // namespace quintrel
