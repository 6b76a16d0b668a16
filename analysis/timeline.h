// Timeline: the accepted calls by the wall-clock time their API line gives,
// in buckets of equal width. Unless a width is fixed, the width is the
// smallest of 1 s, 5 s, 10 s, 30 s, 1 min, 5 min, 15 min, 1 h, 6 h and 1 day
// that gives at most 120 buckets; it widens as calls arrive, merging
// buckets, so that it never holds many more. Each bucket keeps the
// durations of its calls as a histogram, so that its percentiles are exact
// however often it merges. It owns its buckets.
#ifndef QUINTREL_ANALYSIS_TIMELINE_H_
#define QUINTREL_ANALYSIS_TIMELINE_H_

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "analysis/duration_histogram.h"
#include "analysis/mergeable_profile.h"
#include "analysis/profile_analytics.h"

namespace quintrel {

// The widths a timeline chooses from, each a divisor of the next.
extern const int64_t kTimelineWidths[10];

// The index of the bucket of `width` seconds that holds `seconds`.
int64_t BucketIndex(int64_t seconds, int64_t width);

class Timeline {
 public:
  // `fixedSeconds` 0 chooses the width from the trace.
  explicit Timeline(int64_t fixedSeconds);

  // Adds a call that started `seconds` after 1970-01-01, of `durationMs`,
  // of the thread numbered `thread`. Inline: every dated call is added, and
  // calls mostly fall into the bucket of the call before, of a thread it
  // already counts (no division then).
  void add(int64_t seconds, int64_t durationMs, uint32_t thread) {
    int64_t offset = seconds - lastIndex_ * width_;
    if (lastSlot_ == nullptr || offset < 0 || offset >= width_) {
      if (moveTo(seconds, durationMs, thread)) return;
    }
    if (last_ == nullptr) last_ = Promote(lastSlot_, &full_);
    last_->held.durations.add(durationMs);
    if (thread >= bucketOfThread_.size() || bucketOfThread_[thread] != lastIndex_) {
      addThread(thread);
    }
  }

  int64_t bucketSeconds() const { return width_; }
  bool fixedWidth() const { return fixed_; }
  // The buckets in time order (see ProfileAnalytics::timeline).
  std::vector<TimelineBucket> buckets() const;
  // The buckets by start / bucketSeconds(); the timeline is left empty.
  std::map<int64_t, MergeableBucket> takeBuckets();
  // The figures of buckets(), taken: each bucket is released once its
  // figures are made, and the timeline is left empty.
  std::vector<TimelineBucket> takeFigures();

  // The figures of `buckets`, by start / `width`, in time order.
  static std::vector<TimelineBucket> Figures(const std::map<int64_t, MergeableBucket>& buckets,
                                             int64_t width);
  // The same, taken from `buckets`, which is left empty: each bucket is
  // released once its figures are made.
  static std::vector<TimelineBucket> TakeFigures(std::map<int64_t, MergeableBucket>* buckets,
                                                 int64_t width);

 private:
  // A bucket of two calls or more: its threads in no order. A thread whose
  // calls come back to the bucket after calls in another may stand in it
  // more than once until the repeats are dropped, whenever the list has
  // doubled, so that counting stays linear in the calls.
  struct Bucket {
    MergeableBucket held;
    size_t distinct = 0;  // the threads after the repeats were last dropped
  };
  // A bucket as it is gathered. Most buckets of a narrow width hold one
  // call: the slot keeps that call alone, some 24 bytes, until a second
  // comes and the bucket moves to full_.
  struct Slot {
    int64_t index = 0;  // start / width
    int64_t firstMs = 0;
    uint32_t firstThread = 0;
    uint32_t full = 0;  // 0 while the slot holds one call, else 1 + its place in full_
  };
  // Makes the bucket of `seconds` the bucket of the last call; a new
  // bucket takes the call and true is returned.
  bool moveTo(int64_t seconds, int64_t durationMs, uint32_t thread);
  // The slot of `index` made, holding the call; whether it was new.
  bool place(int64_t index, int64_t durationMs, uint32_t thread);
  // Counts `thread` in the bucket of the last call.
  void addThread(uint32_t thread);
  // Makes the per-thread tables reach `thread`.
  void reach(uint32_t thread);
  // The bucket of a slot that holds one call.
  static MergeableBucket OneCallOf(const Slot& slot);
  // Moves `slot` to `full`, with its one call.
  static Bucket* Promote(Slot* slot, std::deque<Bucket>* full);
  void merge(const Slot& from, Bucket* into);
  // The bucket of `slot`, settled; `take` releases what the slot held.
  MergeableBucket settledOf(Slot* slot, bool take);
  // Moves the strays into slots_, so that slots_ holds every bucket.
  void settle();
  int64_t firstIndex() const;
  void widen();

  bool fixed_;
  int64_t width_;
  // The buckets in time order, appended as stamps mostly ascend; a new
  // bucket before the last one is a stray until the timeline settles.
  std::deque<Slot> slots_;
  std::map<int64_t, Slot> strays_;
  std::deque<Bucket> full_;   // never moved while gathering: last_ stays valid
  Slot* lastSlot_ = nullptr;  // the bucket of the last call
  Bucket* last_ = nullptr;    // its full bucket, if it has one
  int64_t lastIndex_ = 0;
  // Per thread number, the index of the last bucket that counts it, at the
  // present width.
  static constexpr int64_t kNoBucket = INT64_MIN;
  std::vector<int64_t> bucketOfThread_;
  std::vector<bool> seen_;  // per thread number, all false between steps
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TIMELINE_H_
