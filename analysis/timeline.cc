#include "analysis/timeline.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace quintrel {

namespace {

const int64_t kWidths[] = {1, 5, 10, 30, 60, 300, 900, 3600, 21600, 86400};
const int64_t kMaxBuckets = 120;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// Drops the repeats from `threads`, a list of thread numbers; `seen`, one
// entry per number, is all false before and after.
void DropRepeats(std::vector<uint32_t>* threads, std::vector<bool>* seen) {
  size_t kept = 0;
  for (uint32_t thread : *threads) {
    if ((*seen)[thread]) continue;
    (*seen)[thread] = true;
    (*threads)[kept++] = thread;
  }
  threads->resize(kept);
  for (uint32_t thread : *threads) (*seen)[thread] = false;
}

}  // namespace

Timeline::Timeline(int64_t fixedSeconds)
    : fixed_(fixedSeconds > 0), width_(fixedSeconds > 0 ? fixedSeconds : 1) {}

void Timeline::add(int64_t seconds, int64_t durationMs, uint32_t thread) {
  // Calls mostly fall into the bucket of the call before: no division then.
  int64_t offset = seconds - lastIndex_ * width_;
  bool same = last_ != nullptr && offset >= 0 && offset < width_;
  int64_t index = same ? lastIndex_ : FloorDiv(seconds, width_);
  bool created = false;
  if (!same) {
    auto placed = buckets_.try_emplace(index);
    last_ = &placed.first->second;
    lastIndex_ = index;
    created = placed.second;
  }
  last_->durations.add(durationMs);
  addThread(thread);
  // Only a new bucket can make the span too wide.
  if (created && !fixed_) widen();
}

void Timeline::addThread(uint32_t thread) {
  if (thread >= bucketOfThread_.size()) {
    bucketOfThread_.resize(thread + 1, kNoBucket);
    seen_.resize(thread + 1, false);
  }
  if (bucketOfThread_[thread] == lastIndex_) return;
  bucketOfThread_[thread] = lastIndex_;
  last_->threads.push_back(thread);
  if (last_->threads.size() >= 2 * last_->distinct + 16) {
    DropRepeats(&last_->threads, &seen_);
    last_->distinct = last_->threads.size();
  }
}

void Timeline::merge(Bucket&& from, Bucket* into) {
  into->durations.merge(from.durations);
  into->threads.insert(into->threads.end(), from.threads.begin(), from.threads.end());
  DropRepeats(&into->threads, &seen_);
  into->distinct = into->threads.size();
}

void Timeline::widen() {
  auto span = [this] { return buckets_.rbegin()->first - buckets_.begin()->first + 1; };
  if (span() <= kMaxBuckets || width_ == kWidths[std::size(kWidths) - 1]) return;
  int64_t width = width_;
  for (int64_t candidate : kWidths) {
    width = candidate;
    if (candidate <= width_) continue;
    int64_t first = FloorDiv(buckets_.begin()->first * width_, candidate);
    int64_t last = FloorDiv(buckets_.rbegin()->first * width_, candidate);
    if (last - first + 1 <= kMaxBuckets) break;
  }
  // Every width divides the next, so each bucket falls into one wider bucket.
  std::map<int64_t, Bucket> wider;
  for (auto& [index, bucket] : buckets_) {
    merge(std::move(bucket), &wider[FloorDiv(index * width_, width)]);
  }
  buckets_ = std::move(wider);
  width_ = width;
  last_ = nullptr;
  bucketOfThread_.assign(bucketOfThread_.size(), kNoBucket);
}

std::vector<TimelineBucket> Timeline::buckets() const {
  std::vector<TimelineBucket> out;
  if (buckets_.empty()) return out;
  std::vector<bool> seen(seen_.size(), false);
  int64_t first = buckets_.begin()->first, last = buckets_.rbegin()->first;
  bool fill = static_cast<uint64_t>(last - first) < kMaxFilledBuckets;
  auto stored = buckets_.begin();
  for (int64_t index = first; index <= last; ++index) {
    bool present = stored != buckets_.end() && stored->first == index;
    if (!present && !fill) {
      index = stored->first - 1;  // on to the next bucket that holds calls
      continue;
    }
    TimelineBucket bucket;
    bucket.start = index * width_;
    if (present) {
      DurationStats stats = stored->second.durations.stats();
      bucket.calls = stats.count;
      bucket.dmclMs = stats.totalMs;
      std::vector<uint32_t> threads = stored->second.threads;
      DropRepeats(&threads, &seen);
      bucket.threads = static_cast<int64_t>(threads.size());
      bucket.maxMs = stats.maxMs;
      bucket.meanMs = stats.meanMs;
      bucket.p50Ms = stats.p50Ms;
      bucket.p95Ms = stats.p95Ms;
      bucket.p99Ms = stats.p99Ms;
      ++stored;
    }
    out.push_back(bucket);
  }
  return out;
}

}  // namespace quintrel
