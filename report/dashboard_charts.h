// The dashboard's charts as sections of the page: the timeline (DMCL time and
// calls over wall-clock time, the busiest stretch marked) and the latency
// histogram of all calls.
#ifndef QUINTREL_REPORT_DASHBOARD_CHARTS_H_
#define QUINTREL_REPORT_DASHBOARD_CHARTS_H_

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "analysis/profile_analytics.h"

namespace quintrel {

// The most bars the timeline draws; more buckets are merged.
constexpr size_t kMaxTimelineBars = 600;

void WriteTimelineSection(const ProfileAnalytics& analytics, std::ostream& out);
void WriteLatencySection(const ProfileAnalytics& analytics, std::ostream& out);

// A stretch of time in its largest whole unit: "1 s", "90 s", "5 min",
// "6 h", "2 d".
std::string SpanText(int64_t seconds);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_DASHBOARD_CHARTS_H_
