#include "analysis/duration_histogram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

namespace quintrel {
namespace {

// The nearest-rank percentile of `sorted`, the obvious way.
int64_t BruteForce(const std::vector<int64_t>& sorted, int p) {
  for (size_t rank = 1; rank <= sorted.size(); ++rank) {
    if (rank * 100 >= static_cast<size_t>(p) * sorted.size()) return sorted[rank - 1];
  }
  return 0;
}

TEST(DurationHistogramTest, PercentilesAreExactNearestRanks) {
  std::mt19937 random(5);
  for (int trial = 0; trial < 300; ++trial) {
    DurationHistogram histogram;
    std::vector<int64_t> durations(1 + random() % (trial < 100 ? 5 : 2000));
    for (int64_t& duration : durations) {
      duration = trial % 3 == 0 ? random() % 4 : static_cast<int64_t>(random() % 100000);
      histogram.add(duration);
    }
    std::sort(durations.begin(), durations.end());
    for (int p : {1, 50, 95, 99, 100}) {
      EXPECT_EQ(histogram.percentile(p), BruteForce(durations, p)) << trial << " p" << p;
    }
    const DurationStats stats = histogram.stats();
    EXPECT_EQ(stats.p50Ms, BruteForce(durations, 50)) << trial;
    EXPECT_EQ(stats.p95Ms, BruteForce(durations, 95)) << trial;
    EXPECT_EQ(stats.p99Ms, BruteForce(durations, 99)) << trial;
    EXPECT_EQ(stats.count, static_cast<int64_t>(durations.size()));
    EXPECT_EQ(stats.maxMs, durations.back());
  }
  EXPECT_EQ(DurationHistogram().percentile(50), 0);
}

// The counts in ascending order, the obvious way.
std::vector<std::pair<int64_t, int64_t>> CountedInOrder(std::vector<int64_t> durations) {
  std::sort(durations.begin(), durations.end());
  std::vector<std::pair<int64_t, int64_t>> counts;
  for (int64_t duration : durations) {
    if (counts.empty() || counts.back().first != duration) counts.emplace_back(duration, 0);
    ++counts.back().second;
  }
  return counts;
}

TEST(DurationHistogramTest, SortedCountsAscendAcrossDenseAndSparseDurations) {
  const std::vector<std::vector<int64_t>> cases = {
      {},
      {7},
      {-3},
      {0, 0, 0},
      {63, 64},
      {64, 63, 62, 65},
      {-1, 0, 1, -1, 0},
      {-5000, 70, 2, -2, 63, 64, 0, 100000, 2},
      {900, 800, 700, -700, -800},
  };
  for (const std::vector<int64_t>& durations : cases) {
    DurationHistogram histogram;
    for (int64_t duration : durations) histogram.add(duration);
    const std::vector<std::pair<int64_t, int64_t>> expected = CountedInOrder(durations);
    EXPECT_EQ(histogram.sortedCounts(), expected) << durations.size() << " durations";
    std::vector<int64_t> sorted = durations;
    std::sort(sorted.begin(), sorted.end());
    const DurationStats stats = histogram.stats();
    EXPECT_EQ(
        std::make_tuple(stats.p50Ms, stats.p95Ms, stats.p99Ms),
        std::make_tuple(BruteForce(sorted, 50), BruteForce(sorted, 95), BruteForce(sorted, 99)));
  }
}

// The durations kept per value (negative ones and those of 64 ms or more)
// are sorted on the stack where they are few and on the heap where they are
// many; the percentiles are the same on either side of the boundary,
// whatever the dense durations between them.
TEST(DurationHistogramTest, StatsAreExactForFewAndManySparseDurations) {
  struct Case {
    int sparse;    // distinct durations kept per value
    int negative;  // of them, below zero
    int dense;     // durations below 64 ms
  };
  const Case cases[] = {{0, 0, 1},  {1, 0, 0},  {1, 1, 0},  {1, 0, 9},   {15, 3, 40},
                        {16, 0, 0}, {16, 5, 7}, {17, 0, 0}, {17, 8, 30}, {40, 20, 100}};
  for (const Case& c : cases) {
    DurationHistogram histogram;
    std::vector<int64_t> durations;
    for (int n = 0; n < c.sparse; ++n) {
      int64_t duration = n < c.negative ? -1 - 37 * n : 64 + 1000 * (c.sparse - n);
      for (int times = 0; times <= n % 3; ++times) durations.push_back(duration);
    }
    for (int n = 0; n < c.dense; ++n) durations.push_back(n * 7 % 64);
    for (int64_t duration : durations) histogram.add(duration);
    std::sort(durations.begin(), durations.end());
    const DurationStats stats = histogram.stats();
    EXPECT_EQ(std::make_tuple(stats.p50Ms, stats.p95Ms, stats.p99Ms),
              std::make_tuple(BruteForce(durations, 50), BruteForce(durations, 95),
                              BruteForce(durations, 99)))
        << c.sparse << " sparse, " << c.negative << " negative, " << c.dense << " dense";
  }
}

// Counted in one pass over the histogram, each range holds what counting
// it alone gives; durations outside the bounds count nowhere.
TEST(DurationHistogramTest, CountsBetweenBoundsAsEachRangeAlone) {
  const std::vector<std::vector<int64_t>> cases = {
      {0, 1}, {0, 1, 2, 5, 10, 20, 50, 100}, {-10, 0, 63, 64, 65, 1000}, {5, 6}, {100, 200, 100000},
  };
  DurationHistogram histogram;
  for (int64_t duration : {-20, -10, -1, 0, 0, 1, 4, 5, 9, 63, 63, 64, 65, 99, 100, 999, 5000}) {
    histogram.add(duration);
  }
  for (const std::vector<int64_t>& bounds : cases) {
    std::vector<int64_t> counts(bounds.size() - 1, 7), expected;
    for (size_t at = 0; at + 1 < bounds.size(); ++at) {
      expected.push_back(7 + histogram.countBetween(bounds[at], bounds[at + 1]));
    }
    histogram.countBetween(bounds, &counts);
    EXPECT_EQ(counts, expected) << bounds.front() << " to " << bounds.back();
  }
}

TEST(DurationHistogramTest, MergedIsAsIfAllWereAddedToOne) {
  const std::vector<std::vector<int64_t>> parts = {
      {}, {0, 0, 63, 64, 5000}, {1, 1, 1}, {100000, 3, 64}, {}};
  DurationHistogram merged, whole;
  for (const std::vector<int64_t>& part : parts) {
    DurationHistogram histogram;
    for (int64_t duration : part) {
      histogram.add(duration);
      whole.add(duration);
    }
    merged.merge(histogram);
  }
  const DurationStats a = merged.stats(), b = whole.stats();
  EXPECT_EQ(std::make_tuple(a.count, a.totalMs, a.p50Ms, a.p95Ms, a.p99Ms, a.maxMs),
            std::make_tuple(b.count, b.totalMs, b.p50Ms, b.p95Ms, b.p99Ms, b.maxMs));
  EXPECT_EQ(merged.countBetween(0, 64), whole.countBetween(0, 64));
  EXPECT_EQ(merged.countBetween(64, 200000), 4);
}

// Histograms of one distinct duration hold it without tables until a second
// comes, by an add or a merge either way round: every pair merged, and the
// durations added one by one, count alike.
TEST(DurationHistogramTest, OneDistinctDurationCountsAsMany) {
  const std::vector<std::vector<int64_t>> kParts = {{},   {7},     {7, 7, 7},   {-3, -3},
                                                    {70}, {7, 70}, {0, 63, 64}, {5000, 5000}};
  for (const std::vector<int64_t>& a : kParts) {
    for (const std::vector<int64_t>& b : kParts) {
      DurationHistogram first, second, whole;
      std::vector<int64_t> all = a;
      all.insert(all.end(), b.begin(), b.end());
      for (int64_t duration : a) first.add(duration);
      for (int64_t duration : b) second.add(duration);
      for (int64_t duration : all) whole.add(duration);
      first.merge(second);
      const std::vector<std::pair<int64_t, int64_t>> expected = CountedInOrder(all);
      std::vector<int64_t> sorted = all;
      std::sort(sorted.begin(), sorted.end());
      EXPECT_EQ(first.sortedCounts(), expected) << a.size() << " + " << b.size();
      EXPECT_EQ(whole.sortedCounts(), expected) << a.size() << " + " << b.size();
      for (const DurationHistogram* histogram : {&first, &whole}) {
        EXPECT_EQ(histogram->count(), int64_t(all.size()));
        EXPECT_EQ(histogram->countBetween(0, 64),
                  histogram->countBetween(-5, 64) - histogram->countBetween(-5, 0));
        EXPECT_EQ(histogram->countBetween(7, 8), std::count(all.begin(), all.end(), 7));
        EXPECT_EQ(
            histogram->countBetween(64, 6000),
            std::count_if(all.begin(), all.end(), [](int64_t duration) { return duration >= 64; }));
        const DurationStats stats = histogram->stats();
        EXPECT_EQ(std::make_tuple(stats.p50Ms, stats.p95Ms, stats.p99Ms),
                  std::make_tuple(BruteForce(sorted, 50), BruteForce(sorted, 95),
                                  BruteForce(sorted, 99)));
        std::vector<int64_t> counts(2, 0);
        histogram->countBetween({-5, 64, 6000}, &counts);
        EXPECT_EQ(counts, std::vector<int64_t>({histogram->countBetween(-5, 64),
                                                histogram->countBetween(64, 6000)}));
      }
    }
  }
}

// Pairs added as a list, to an empty histogram or one already holding
// durations, count what adding them one by one counts.
TEST(DurationHistogramTest, AListOfPairsAddsAsEachPairDoes) {
  const std::vector<std::pair<int64_t, int64_t>> kCounts = {
      {-5, 1}, {0, 2}, {63, 1}, {64, 3}, {65, 1}, {1000, 2}, {70000, 1}, {1LL << 40, 1}};
  for (size_t before = 0; before <= kCounts.size(); ++before) {
    DurationHistogram plain, listed;
    for (size_t at = 0; at < kCounts.size(); ++at) plain.add(kCounts[at].first, kCounts[at].second);
    for (size_t at = 0; at < before; ++at) listed.add(kCounts[at].first, kCounts[at].second);
    listed.add(std::vector<std::pair<int64_t, int64_t>>(kCounts.begin() + before, kCounts.end()));
    EXPECT_EQ(listed.sortedCounts(), plain.sortedCounts()) << before;
    EXPECT_EQ(listed.count(), plain.count());
    EXPECT_EQ(listed.totalMs(), plain.totalMs());
    EXPECT_EQ(listed.maxMs(), plain.maxMs());
  }
  // Many large durations at once, into a table already grown.
  DurationHistogram plain, listed;
  std::vector<std::pair<int64_t, int64_t>> many;
  for (int64_t ms = 100; ms < 5000; ms += 7) many.emplace_back(ms, ms % 3 + 1);
  listed.add(100, 1);
  plain.add(100, 1);
  for (const auto& [ms, times] : many) plain.add(ms, times);
  listed.add(many);
  EXPECT_EQ(listed.sortedCounts(), plain.sortedCounts());
}

}  // namespace
}  // namespace quintrel
