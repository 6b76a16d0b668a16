#include "analysis/timeline.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace quintrel {

const int64_t kTimelineWidths[10] = {1, 5, 10, 30, 60, 300, 900, 3600, 21600, 86400};

int64_t BucketIndex(int64_t seconds, int64_t width) {
  return seconds / width - (seconds % width != 0 && (seconds < 0) != (width < 0));
}

Timeline::Timeline(int64_t fixedSeconds)
    : fixed_(fixedSeconds > 0), width_(fixedSeconds > 0 ? fixedSeconds : 1) {}

void Timeline::add(int64_t seconds, int64_t durationMs, uint32_t thread) {
  // Calls mostly fall into the bucket of the call before.
  int64_t index = BucketIndex(seconds, width_);
  bool created = false;
  if (last_ == nullptr || index != lastIndex_) {
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
  if (thread >= bucketOfThread_.size()) bucketOfThread_.resize(thread + 1, kNoBucket);
  if (bucketOfThread_[thread] == lastIndex_) return;
  bucketOfThread_[thread] = lastIndex_;
  std::vector<uint32_t>& threads = last_->threads;
  auto at = std::lower_bound(threads.begin(), threads.end(), thread);
  if (at == threads.end() || *at != thread) threads.insert(at, thread);
}

void Timeline::Merge(Bucket&& from, Bucket* into) {
  into->durations.merge(from.durations);
  std::vector<uint32_t> threads;
  threads.reserve(into->threads.size() + from.threads.size());
  std::set_union(into->threads.begin(), into->threads.end(), from.threads.begin(),
                 from.threads.end(), std::back_inserter(threads));
  into->threads = std::move(threads);
}

void Timeline::widen() {
  auto span = [this] { return buckets_.rbegin()->first - buckets_.begin()->first + 1; };
  if (span() <= kMaxTimelineBuckets || width_ == kTimelineWidths[std::size(kTimelineWidths) - 1])
    return;
  int64_t width = width_;
  for (int64_t candidate : kTimelineWidths) {
    width = candidate;
    if (candidate <= width_) continue;
    int64_t first = BucketIndex(buckets_.begin()->first * width_, candidate);
    int64_t last = BucketIndex(buckets_.rbegin()->first * width_, candidate);
    if (last - first + 1 <= kMaxTimelineBuckets) break;
  }
  // Every width divides the next, so each bucket falls into one wider bucket.
  std::map<int64_t, Bucket> wider;
  for (auto& [index, bucket] : buckets_) {
    Merge(std::move(bucket), &wider[BucketIndex(index * width_, width)]);
  }
  buckets_ = std::move(wider);
  width_ = width;
  last_ = nullptr;
  bucketOfThread_.assign(bucketOfThread_.size(), kNoBucket);
}

std::map<int64_t, MergeableBucket> Timeline::takeBuckets() {
  std::map<int64_t, MergeableBucket> taken = std::move(buckets_);
  *this = Timeline(fixed_ ? width_ : 0);
  return taken;
}

std::vector<TimelineBucket> Timeline::Figures(const std::map<int64_t, MergeableBucket>& buckets,
                                              int64_t width) {
  std::vector<TimelineBucket> out;
  if (buckets.empty()) return out;
  int64_t first = buckets.begin()->first, last = buckets.rbegin()->first;
  bool fill = static_cast<uint64_t>(last - first) < kMaxFilledBuckets;
  auto stored = buckets.begin();
  for (int64_t index = first; index <= last; ++index) {
    bool present = stored != buckets.end() && stored->first == index;
    if (!present && !fill) {
      index = stored->first - 1;  // on to the next bucket that holds calls
      continue;
    }
    TimelineBucket bucket;
    bucket.start = index * width;
    if (present) {
      DurationStats stats = stored->second.durations.stats();
      bucket.calls = stats.count;
      bucket.dmclMs = stats.totalMs;
      bucket.threads = static_cast<int64_t>(stored->second.threads.size());
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
