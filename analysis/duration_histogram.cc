#include "analysis/duration_histogram.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "analysis/saturating_add.h"

namespace quintrel {

void DurationHistogram::add(int64_t durationMs, int64_t times) {
  place(durationMs, times);
  count_ += times;
  int64_t product;
  if (__builtin_mul_overflow(durationMs, times, &product)) {
    product = std::numeric_limits<int64_t>::max();
  }
  SaturatingAdd(&totalMs_, product);
  maxMs_ = std::max(maxMs_, durationMs);
}

void DurationHistogram::place(int64_t durationMs, int64_t times) {
  if (holdsOne()) {
    if (count_ == 0 || durationMs == only_) {
      only_ = durationMs;
      return;
    }
    store(only_, count_);  // a second distinct duration: both go to the tables
  }
  store(durationMs, times);
}

void DurationHistogram::store(int64_t durationMs, int64_t times) {
  if (durationMs >= 0 && durationMs < kDense) {
    if (small_.size() <= static_cast<size_t>(durationMs)) small_.resize(durationMs + 1, 0);
    small_[durationMs] += times;
  } else {
    addLarge(durationMs, times);
  }
}

void DurationHistogram::merge(const DurationHistogram& other) {
  if (other.holdsOne()) {
    if (other.count_ > 0) place(other.only_, other.count_);
  } else {
    if (holdsOne() && count_ > 0) store(only_, count_);
    mergeTables(other);
  }
  count_ += other.count_;
  SaturatingAdd(&totalMs_, other.totalMs_);
  maxMs_ = std::max(maxMs_, other.maxMs_);
}

void DurationHistogram::mergeTables(const DurationHistogram& other) {
  if (small_.size() < other.small_.size()) small_.resize(other.small_.size(), 0);
  for (size_t duration = 0; duration < other.small_.size(); ++duration) {
    small_[duration] += other.small_[duration];
  }
  for (const Count& count : other.large_) {
    if (count.times != 0) addLarge(count.duration, count.times);
  }
}

void DurationHistogram::addLarge(int64_t duration, int64_t times) {
  if (2 * (largeUsed_ + 1) > large_.size()) growLarge();
  size_t mask = large_.size() - 1;
  size_t at = (static_cast<uint64_t>(duration) * 0x9E3779B97F4A7C15ULL) >> 32 & mask;
  while (large_[at].times != 0 && large_[at].duration != duration) at = (at + 1) & mask;
  if (large_[at].times == 0) {
    large_[at].duration = duration;
    ++largeUsed_;
  }
  large_[at].times += times;
}

void DurationHistogram::growLarge() { rehashLarge(large_.empty() ? 8 : 2 * large_.size()); }

void DurationHistogram::add(const std::vector<std::pair<int64_t, int64_t>>& counts) {
  // The tables are made here: a duration held without them goes there first.
  if (holdsOne() && count_ > 0) store(only_, count_);
  size_t large = 0;
  for (const auto& [duration, times] : counts) large += duration < 0 || duration >= kDense;
  size_t slots = large_.empty() ? 8 : large_.size();
  while (slots < 2 * (largeUsed_ + large)) slots *= 2;
  if (slots != large_.size()) rehashLarge(slots);
  for (const auto& [duration, times] : counts) add(duration, times);
}

void DurationHistogram::rehashLarge(size_t slots) {
  std::vector<Count> old(slots);
  old.swap(large_);
  largeUsed_ = 0;
  for (const Count& count : old) {
    if (count.times != 0) addLarge(count.duration, count.times);
  }
}

namespace {

// The nearest-rank percentile of `count` durations counted in `sorted`: the
// smallest duration whose cumulative count c has 100 c >= p count.
int64_t Percentile(const std::vector<std::pair<int64_t, int64_t>>& sorted, int64_t count, int p) {
  if (sorted.empty()) return 0;
  __int128 needed = static_cast<__int128>(p) * count;
  __int128 cumulative = 0;
  for (const auto& [duration, times] : sorted) {
    cumulative += times;
    if (cumulative * 100 >= needed) return duration;
  }
  return sorted.back().first;
}

}  // namespace

std::vector<std::pair<int64_t, int64_t>> DurationHistogram::sortedCounts() const {
  std::vector<std::pair<int64_t, int64_t>> sorted;
  if (holdsOne()) {
    if (count_ > 0) sorted.emplace_back(only_, count_);
    return sorted;
  }
  sorted.reserve(largeUsed_ + small_.size());
  for (const Count& count : large_) {
    if (count.times != 0) sorted.emplace_back(count.duration, count.times);
  }
  std::sort(sorted.begin(), sorted.end());
  // The dense durations, already ascending, belong after the negative ones
  // (which are kept per value) and before the others.
  auto firstDense =
      std::lower_bound(sorted.begin(), sorted.end(), std::make_pair(int64_t{0}, int64_t{0}));
  size_t denseAt = static_cast<size_t>(firstDense - sorted.begin());
  size_t largeEnd = sorted.size();
  for (size_t duration = 0; duration < small_.size(); ++duration) {
    if (small_[duration] != 0) sorted.emplace_back(duration, small_[duration]);
  }
  std::rotate(sorted.begin() + denseAt, sorted.begin() + largeEnd, sorted.end());
  return sorted;
}

int64_t DurationHistogram::percentile(int p) const { return Percentile(sortedCounts(), count_, p); }

namespace {

// The percentiles DurationStats holds, found in one walk over the distinct
// durations, ascending, as Percentile finds each.
class PercentileWalk {
 public:
  explicit PercentileWalk(int64_t count) : count_(count) {}
  void take(int64_t duration, int64_t times) {
    cumulative_ += times;
    while (next_ < 3 && cumulative_ * 100 >= static_cast<__int128>(kRanks[next_]) * count_) {
      found_[next_++] = duration;
    }
    last_ = duration;
  }
  // Sets the percentiles of `stats`; one not reached is the last duration.
  void fill(DurationStats* stats) {
    for (; next_ < 3; ++next_) found_[next_] = last_;
    stats->p50Ms = found_[0];
    stats->p95Ms = found_[1];
    stats->p99Ms = found_[2];
  }

 private:
  static constexpr int kRanks[3] = {50, 95, 99};
  int64_t count_;
  __int128 cumulative_ = 0;
  int next_ = 0;
  int64_t found_[3] = {0, 0, 0};
  int64_t last_ = 0;
};

}  // namespace

DurationStats DurationHistogram::stats() const {
  DurationStats stats;
  stats.count = count_;
  stats.totalMs = totalMs_;
  stats.meanMs = count_ == 0 ? 0.0 : static_cast<double>(totalMs_) / static_cast<double>(count_);
  stats.maxMs = maxMs_;
  PercentileWalk walk(count_);
  if (holdsOne()) {
    if (count_ > 0) walk.take(only_, count_);
    walk.fill(&stats);
    return stats;
  }
  if (largeUsed_ > kFewLarge) {
    for (const auto& [duration, times] : sortedCounts()) walk.take(duration, times);
    walk.fill(&stats);
    return stats;
  }
  // Most histograms (those of classes met a few times) hold few durations
  // kept per value: they are sorted here, without the heap.
  Count few[kFewLarge];
  size_t kept = 0;
  for (const Count& count : large_) {
    if (count.times != 0) few[kept++] = count;
  }
  std::sort(few, few + kept,
            [](const Count& a, const Count& b) { return a.duration < b.duration; });
  size_t next = 0;
  for (; next < kept && few[next].duration < 0; ++next)
    walk.take(few[next].duration, few[next].times);
  for (size_t duration = 0; duration < small_.size(); ++duration) {
    if (small_[duration] != 0) walk.take(static_cast<int64_t>(duration), small_[duration]);
  }
  for (; next < kept; ++next) walk.take(few[next].duration, few[next].times);
  walk.fill(&stats);
  return stats;
}

int64_t DurationHistogram::countBetween(int64_t low, int64_t high) const {
  if (holdsOne()) return only_ >= low && only_ < high ? count_ : 0;
  int64_t count = 0;
  for (size_t duration = 0; duration < small_.size(); ++duration) {
    if (int64_t(duration) >= low && int64_t(duration) < high) count += small_[duration];
  }
  for (const Count& entry : large_) {
    if (entry.times != 0 && entry.duration >= low && entry.duration < high) count += entry.times;
  }
  return count;
}

void DurationHistogram::countBetween(const std::vector<int64_t>& bounds,
                                     std::vector<int64_t>* counts) const {
  auto count = [&bounds, counts](int64_t duration, int64_t times) {
    if (duration < bounds.front() || duration >= bounds.back()) return;
    size_t after = static_cast<size_t>(std::upper_bound(bounds.begin(), bounds.end(), duration) -
                                       bounds.begin());
    (*counts)[after - 1] += times;
  };
  if (holdsOne()) {
    if (count_ > 0) count(only_, count_);
    return;
  }
  for (size_t duration = 0; duration < small_.size(); ++duration) {
    if (small_[duration] != 0) count(static_cast<int64_t>(duration), small_[duration]);
  }
  for (const Count& entry : large_) {
    if (entry.times != 0) count(entry.duration, entry.times);
  }
}

}  // namespace quintrel
