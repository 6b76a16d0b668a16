// TimelineBars: the timeline's buckets merged for drawing. Adjacent buckets
// join into bars of equal width, so that a chart of any timeline (up to
// kMaxFilledBuckets buckets, or any span of time when the model keeps only
// the buckets that hold calls) has at most a given number of bars. It owns
// its bars.
#ifndef QUINTREL_REPORT_TIMELINE_BARS_H_
#define QUINTREL_REPORT_TIMELINE_BARS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/profile_analytics.h"

namespace quintrel {

// The calls that started within one bar's stretch of time.
struct TimelineBar {
  int64_t start = 0;  // seconds since 1970-01-01
  int64_t calls = 0;
  int64_t dmclMs = 0;
  int64_t threads = 0;  // the most distinct threads in one of its buckets
  int64_t maxMs = 0;
  int64_t p95Ms = 0;  // the highest p95 of one of its buckets
};

struct TimelineBars {
  int64_t barSeconds = 0;     // the width of a bar
  int64_t bucketsPerBar = 1;  // buckets of the model a bar stands for
  // From the first bucket's bar to the last one's, bars without calls
  // included; empty for an empty timeline.
  std::vector<TimelineBar> bars;
  // The bar of the most DMCL time; of equals the one of the most calls, then
  // the first.
  size_t busiest = 0;

  // Merges `buckets` of `bucketSeconds` each, in time order, into at most
  // `maxBars` bars.
  static TimelineBars Merge(const std::vector<TimelineBucket>& buckets, int64_t bucketSeconds,
                            size_t maxBars);
};

}  // namespace quintrel

#endif  // QUINTREL_REPORT_TIMELINE_BARS_H_
