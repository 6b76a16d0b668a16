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

// The figures of the bucket `index` of `width` seconds.
TimelineBucket FigureOf(int64_t index, int64_t width, const MergeableBucket& stored) {
  TimelineBucket bucket;
  bucket.start = index * width;
  DurationStats stats = stored.durations.stats();
  bucket.calls = stats.count;
  bucket.dmclMs = stats.totalMs;
  bucket.threads = static_cast<int64_t>(stored.threads.size());
  bucket.maxMs = stats.maxMs;
  bucket.meanMs = stats.meanMs;
  bucket.p50Ms = stats.p50Ms;
  bucket.p95Ms = stats.p95Ms;
  bucket.p99Ms = stats.p99Ms;
  return bucket;
}

// The buckets of `present`, in time order, with the empty buckets between
// them, unless there would be more than kMaxFilledBuckets of them.
std::vector<TimelineBucket> Filled(std::vector<TimelineBucket> present, int64_t width) {
  if (present.empty()) return present;
  int64_t first = present.front().start / width, last = present.back().start / width;
  if (static_cast<uint64_t>(last - first) >= kMaxFilledBuckets) return present;
  std::vector<TimelineBucket> out;
  out.reserve(static_cast<size_t>(last - first + 1));
  int64_t next = first;
  for (const TimelineBucket& bucket : present) {
    for (; next < bucket.start / width; ++next) {
      out.emplace_back();
      out.back().start = next * width;
    }
    out.push_back(bucket);
    ++next;
  }
  return out;
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
  // Each bucket is released as it is taken: the two maps are not held whole
  // together.
  for (auto at = buckets_.begin(); at != buckets_.end(); at = buckets_.erase(at)) {
    taken.emplace_hint(taken.end(), at->first, Settled(std::move(at->second.held)));
  }
  *this = Timeline(fixed_ ? width_ : 0);
  return taken;
}
std::vector<TimelineBucket> Timeline::Figures(const std::map<int64_t, MergeableBucket>& buckets,
                                              int64_t width) {
  std::vector<TimelineBucket> present;
  present.reserve(buckets.size());
  for (const auto& [index, bucket] : buckets) present.push_back(FigureOf(index, width, bucket));
  return Filled(std::move(present), width);
}

std::vector<TimelineBucket> Timeline::TakeFigures(std::map<int64_t, MergeableBucket>* buckets,
                                                  int64_t width) {
  std::vector<TimelineBucket> present;
  present.reserve(buckets->size());
  for (auto at = buckets->begin(); at != buckets->end(); at = buckets->erase(at)) {
    present.push_back(FigureOf(at->first, width, at->second));
  }
  return Filled(std::move(present), width);
}

}  // namespace quintrel
