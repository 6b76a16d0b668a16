#include "analysis/timeline.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "analysis/freed_memory.h"

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

// Slots taken between returns of their memory to the system: 1.5 MB.
constexpr size_t kSlotsPerReturn = 65536;

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

bool Timeline::moveTo(int64_t seconds, int64_t durationMs, uint32_t thread) {
  int64_t index = BucketIndex(seconds, width_);
  lastIndex_ = index;
  if (!place(index, durationMs, thread)) {
    last_ = lastSlot_->full == 0 ? nullptr : &full_[lastSlot_->full - 1];
    return false;
  }
  last_ = nullptr;
  reach(thread);
  bucketOfThread_[thread] = index;
  // Only a new bucket can make the span too wide.
  if (!fixed_) widen();
  return true;
}

bool Timeline::place(int64_t index, int64_t durationMs, uint32_t thread) {
  Slot fresh{index, durationMs, thread, 0};
  if (slots_.empty() || slots_.back().index < index) {
    slots_.push_back(fresh);
    lastSlot_ = &slots_.back();
    return true;
  }
  auto at = std::lower_bound(slots_.begin(), slots_.end(), index,
                             [](const Slot& slot, int64_t key) { return slot.index < key; });
  if (at->index == index) {
    lastSlot_ = &*at;
    return false;
  }
  auto placed = strays_.try_emplace(index, fresh);
  lastSlot_ = &placed.first->second;
  return placed.second;
}

void Timeline::addThread(uint32_t thread) {
  reach(thread);
  if (bucketOfThread_[thread] == lastIndex_) return;
  bucketOfThread_[thread] = lastIndex_;
  std::vector<uint32_t>& threads = last_->held.threads;
  threads.push_back(thread);
  if (threads.size() >= 2 * last_->distinct + 16) {
    DropRepeats(&threads, &seen_);
    last_->distinct = threads.size();
  }
}

void Timeline::reach(uint32_t thread) {
  if (thread < bucketOfThread_.size()) return;
  bucketOfThread_.resize(thread + 1, kNoBucket);
  seen_.resize(thread + 1, false);
}

MergeableBucket Timeline::OneCallOf(const Slot& slot) {
  MergeableBucket one;
  one.durations.add(slot.firstMs);
  one.threads.push_back(slot.firstThread);
  return one;
}

Timeline::Bucket* Timeline::Promote(Slot* slot, std::deque<Bucket>* full) {
  full->push_back(Bucket{OneCallOf(*slot), 1});
  Bucket* bucket = &full->back();
  // A slot is at most 24 bytes: more than 2^32 buckets would not fit in memory.
  slot->full = static_cast<uint32_t>(full->size());
  return bucket;
}

void Timeline::merge(const Slot& from, Bucket* into) {
  std::vector<uint32_t>& threads = into->held.threads;
  if (from.full == 0) {
    into->held.durations.add(from.firstMs);
    threads.push_back(from.firstThread);
  } else {
    const MergeableBucket& held = full_[from.full - 1].held;
    into->held.durations.merge(held.durations);
    threads.insert(threads.end(), held.threads.begin(), held.threads.end());
  }
  DropRepeats(&threads, &seen_);
  into->distinct = threads.size();
}

MergeableBucket Timeline::settledOf(Slot* slot, bool take) {
  if (slot->full == 0) return OneCallOf(*slot);
  MergeableBucket& held = full_[slot->full - 1].held;
  return Settled(take ? std::move(held) : held);
}

void Timeline::settle() {
  if (strays_.empty()) return;
  std::deque<Slot> merged;
  auto stray = strays_.begin();
  for (const Slot& slot : slots_) {
    for (; stray != strays_.end() && stray->first < slot.index; ++stray) {
      merged.push_back(stray->second);
    }
    merged.push_back(slot);
  }
  for (; stray != strays_.end(); ++stray) merged.push_back(stray->second);
  slots_.swap(merged);
  strays_.clear();
  lastSlot_ = nullptr;
  last_ = nullptr;
}

int64_t Timeline::firstIndex() const {
  int64_t first = slots_.front().index;
  return strays_.empty() ? first : std::min(first, strays_.begin()->first);
}

void Timeline::widen() {
  if (slots_.back().index - firstIndex() + 1 <= kMaxTimelineBuckets ||
      width_ == kTimelineWidths[std::size(kTimelineWidths) - 1])
    return;
  settle();
  int64_t width = width_;
  for (int64_t candidate : kTimelineWidths) {
    width = candidate;
    if (candidate <= width_) continue;
    int64_t first = BucketIndex(slots_.front().index * width_, candidate);
    int64_t last = BucketIndex(slots_.back().index * width_, candidate);
    if (last - first + 1 <= kMaxTimelineBuckets) break;
  }
  // Every width divides the next, so each bucket falls into one wider
  // bucket, and the wider buckets come in time order.
  std::deque<Slot> slots;
  std::deque<Bucket> full;
  for (const Slot& slot : slots_) {
    int64_t index = BucketIndex(slot.index * width_, width);
    if (!slots.empty() && slots.back().index == index) {
      Slot& into = slots.back();
      merge(slot, into.full == 0 ? Promote(&into, &full) : &full[into.full - 1]);
      continue;
    }
    slots.push_back(slot);
    slots.back().index = index;
    if (slot.full != 0) {
      full.push_back(std::move(full_[slot.full - 1]));
      slots.back().full = static_cast<uint32_t>(full.size());
    }
  }
  slots_.swap(slots);
  full_.swap(full);
  width_ = width;
  lastSlot_ = nullptr;
  last_ = nullptr;
  bucketOfThread_.assign(bucketOfThread_.size(), kNoBucket);
}

std::vector<TimelineBucket> Timeline::buckets() const {
  std::map<int64_t, MergeableBucket> settled;
  Timeline copy = *this;
  copy.settle();
  for (Slot& slot : copy.slots_) settled.emplace(slot.index, copy.settledOf(&slot, true));
  return Figures(settled, width_);
}

std::map<int64_t, MergeableBucket> Timeline::takeBuckets() {
  settle();
  std::map<int64_t, MergeableBucket> taken;
  for (Slot& slot : slots_) taken.emplace_hint(taken.end(), slot.index, settledOf(&slot, true));
  *this = Timeline(fixed_ ? width_ : 0);
  return taken;
}

std::vector<TimelineBucket> Timeline::takeFigures() {
  settle();
  std::vector<TimelineBucket> present;
  present.reserve(slots_.size());
  // The slots go as their figures come, their memory back to the system now
  // and then: the figures are made in one block elsewhere, which would not
  // reuse it, and a narrow timeline's slots are a third of its figures.
  for (size_t made = 1; !slots_.empty(); slots_.pop_front(), ++made) {
    Slot& slot = slots_.front();
    present.push_back(FigureOf(slot.index, width_, settledOf(&slot, true)));
    if (made % kSlotsPerReturn == 0) FreedMemory::Return();
  }
  int64_t width = width_;
  *this = Timeline(fixed_ ? width_ : 0);
  return Filled(std::move(present), width);
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
