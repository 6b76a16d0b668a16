#include "report/timeline_bars.h"

#include <algorithm>

#include "analysis/saturating_add.h"

namespace quintrel {

namespace {

void AddBucket(const TimelineBucket& bucket, TimelineBar* bar) {
  SaturatingAdd(&bar->calls, bucket.calls);
  SaturatingAdd(&bar->dmclMs, bucket.dmclMs);
  bar->threads = std::max(bar->threads, bucket.threads);
  bar->maxMs = std::max(bar->maxMs, bucket.maxMs);
  bar->p95Ms = std::max(bar->p95Ms, bucket.p95Ms);
}

}  // namespace

TimelineBars TimelineBars::Merge(const std::vector<TimelineBucket>& buckets, int64_t bucketSeconds,
                                 size_t maxBars) {
  TimelineBars merged;
  if (buckets.empty()) return merged;
  bucketSeconds = std::max<int64_t>(bucketSeconds, 1);
  int64_t first = buckets.front().start;
  int64_t span = (buckets.back().start - first) / bucketSeconds + 1;  // buckets, gaps included
  int64_t limit = static_cast<int64_t>(std::max<size_t>(maxBars, 1));
  merged.bucketsPerBar = (span + limit - 1) / limit;
  merged.barSeconds = bucketSeconds * merged.bucketsPerBar;
  int64_t count = (span + merged.bucketsPerBar - 1) / merged.bucketsPerBar;
  merged.bars.resize(static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) merged.bars[i].start = first + i * merged.barSeconds;
  for (const TimelineBucket& bucket : buckets) {
    AddBucket(bucket, &merged.bars[(bucket.start - first) / merged.barSeconds]);
  }
  for (size_t i = 1; i < merged.bars.size(); ++i) {
    const TimelineBar &bar = merged.bars[i], &best = merged.bars[merged.busiest];
    if (bar.dmclMs > best.dmclMs || (bar.dmclMs == best.dmclMs && bar.calls > best.calls)) {
      merged.busiest = i;
    }
  }
  return merged;
}

}  // namespace quintrel
