// DurationHistogram: the durations of a set of calls or queries, as a count
// per distinct whole millisecond, from which exact percentiles follow. It
// costs memory per distinct value, not per call, and none of its own while
// it holds one distinct value, as most of a trace's many classes and
// buckets of a single call do.
#ifndef QUINTREL_ANALYSIS_DURATION_HISTOGRAM_H_
#define QUINTREL_ANALYSIS_DURATION_HISTOGRAM_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "analysis/saturating_add.h"

namespace quintrel {

// What a histogram says in numbers.
struct DurationStats {
  int64_t count = 0;
  int64_t totalMs = 0;  // stays at its largest value once there
  double meanMs = 0.0;
  int64_t p50Ms = 0, p95Ms = 0, p99Ms = 0, maxMs = 0;
};

class DurationHistogram {
 public:
  // Inline: every accepted call is added to two histograms.
  void add(int64_t durationMs) {
    if (static_cast<uint64_t>(durationMs) < small_.size()) {
      ++small_[durationMs];
    } else if (durationMs >= kDense && !large_.empty()) {
      addLarge(durationMs, 1);  // a value kept per value, where they are kept
    } else {
      place(durationMs, 1);
    }
    ++count_;
    SaturatingAdd(&totalMs_, durationMs);
    maxMs_ = std::max(maxMs_, durationMs);
  }
  // Adds `times` (positive) durations of `durationMs`.
  void add(int64_t durationMs, int64_t times);
  // Adds `times` durations of `duration` for each (duration, times) of
  // `counts` (durations distinct, times positive), making room for them at
  // once rather than growing as they come.
  void add(const std::vector<std::pair<int64_t, int64_t>>& counts);
  // Adds every duration `other` counts.
  void merge(const DurationHistogram& other);
  int64_t count() const { return count_; }
  int64_t totalMs() const { return totalMs_; }
  int64_t maxMs() const { return maxMs_; }

  // The p-th percentile by nearest rank: the smallest duration d such that
  // at least p % of the durations are <= d; 0 without durations.
  int64_t percentile(int p) const;
  DurationStats stats() const;
  // How many durations lie in [low, high).
  int64_t countBetween(int64_t low, int64_t high) const;
  // Adds to (*counts)[i] how many durations lie in [bounds[i], bounds[i + 1])
  // for ascending `bounds`, in one pass; `counts` has one element fewer.
  void countBetween(const std::vector<int64_t>& bounds, std::vector<int64_t>* counts) const;
  // (duration, count) for every duration counted, ascending.
  std::vector<std::pair<int64_t, int64_t>> sortedCounts() const;

 private:
  // A distinct duration of kDense ms or more, by open addressing; `times`
  // 0 marks an empty slot.
  struct Count {
    int64_t duration = 0;
    int64_t times = 0;
  };
  // Counts `times` durations of `durationMs` where they are kept.
  void place(int64_t durationMs, int64_t times);
  // The same, in the tables.
  void store(int64_t durationMs, int64_t times);
  // Adds the tables of `other` to these.
  void mergeTables(const DurationHistogram& other);
  // Whether the tables are empty: then the count_ durations are all only_.
  bool holdsOne() const { return small_.empty() && large_.empty(); }
  void addLarge(int64_t duration, int64_t times);
  void growLarge();
  // Rehashes the distinct durations into `slots` slots, a power of two.
  void rehashLarge(size_t slots);

  // Durations below kDense ms, most of a trace's, are counted in place; the
  // others per distinct value.
  static constexpr int64_t kDense = 64;
  // At most this many durations kept per value, stats() sorts on the stack.
  static constexpr size_t kFewLarge = 16;
  std::vector<int64_t> small_;
  std::vector<Count> large_;  // a power of two of them, at most half used
  size_t largeUsed_ = 0;
  int64_t count_ = 0;
  int64_t totalMs_ = 0;
  int64_t maxMs_ = 0;
  int64_t only_ = 0;  // the one distinct duration, while holdsOne()
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_DURATION_HISTOGRAM_H_
