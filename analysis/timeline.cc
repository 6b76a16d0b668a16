#include "analysis/timeline.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace quintrel {

const int64_t kTimelineWidths[10] = {1, 5, 10, 30, 60, 300, 900, 3600, 21600, 86400};

int64_t BucketIndex(int64_t seconds, int64_t width) {
  return seconds / width - (seconds % width != 0 && (seconds < 0) != (width < 0));
}

namespace {

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

// A bucket as profiles hold it: its threads ascending, each once.
MergeableBucket Settled(MergeableBucket bucket) {
  std::vector<uint32_t>& threads = bucket.threads;
  std::sort(threads.begin(), threads.end());
  threads.erase(std::unique(threads.begin(), threads.end()), threads.end());
  return bucket;
}

}  // namespace

Timeline::Timeline(int64_t fixedSeconds)
    : fixed_(fixedSeconds > 0), width_(fixedSeconds > 0 ? fixedSeconds : 1) {}

void Timeline::add(int64_t seconds, int64_t durationMs, uint32_t thread) {
  // Calls mostly fall into the bucket of the call before: no division then.
  int64_t offset = seconds - lastIndex_ * width_;
  bool created = false;
  if (last_ == nullptr || offset < 0 || offset >= width_) created = moveTo(seconds);
  last_->held.durations.add(durationMs);
  // Most calls come from a thread the bucket already counts.
  if (thread >= bucketOfThread_.size() || bucketOfThread_[thread] != lastIndex_) addThread(thread);
  // Only a new bucket can make the span too wide.
  if (created && !fixed_) widen();
}

bool Timeline::moveTo(int64_t seconds) {
  int64_t index = BucketIndex(seconds, width_);
  auto placed = buckets_.try_emplace(index);
  last_ = &placed.first->second;
  lastIndex_ = index;
  return placed.second;
}

void Timeline::addThread(uint32_t thread) {
  if (thread >= bucketOfThread_.size()) {
    bucketOfThread_.resize(thread + 1, kNoBucket);
    seen_.resize(thread + 1, false);
  }
  if (bucketOfThread_[thread] == lastIndex_) return;
  bucketOfThread_[thread] = lastIndex_;
  std::vector<uint32_t>& threads = last_->held.threads;
  threads.push_back(thread);
  if (threads.size() >= 2 * last_->distinct + 16) {
    DropRepeats(&threads, &seen_);
    last_->distinct = threads.size();
  }
}

void Timeline::merge(Bucket&& from, Bucket* into) {
  into->held.durations.merge(from.held.durations);
  std::vector<uint32_t>& threads = into->held.threads;
  threads.insert(threads.end(), from.held.threads.begin(), from.held.threads.end());
  DropRepeats(&threads, &seen_);
  into->distinct = threads.size();
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
    merge(std::move(bucket), &wider[BucketIndex(index * width_, width)]);
  }
  buckets_ = std::move(wider);
  width_ = width;
  last_ = nullptr;
  bucketOfThread_.assign(bucketOfThread_.size(), kNoBucket);
}

std::vector<TimelineBucket> Timeline::buckets() const {
  std::map<int64_t, MergeableBucket> settled;
  for (const auto& [index, bucket] : buckets_) settled.emplace(index, Settled(bucket.held));
  return Figures(settled, width_);
}

std::map<int64_t, MergeableBucket> Timeline::takeBuckets() {
  std::map<int64_t, MergeableBucket> taken;
  for (auto& [index, bucket] : buckets_) taken.emplace(index, Settled(std::move(bucket.held)));
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
