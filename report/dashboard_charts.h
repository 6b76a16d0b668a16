// The dashboard's charts as sections of the page: the timeline (DMCL time and
// calls over wall-clock time, the busiest stretch marked), the p95 of the
// calls over time and the latency histogram of all calls.
#ifndef QUINTREL_REPORT_DASHBOARD_CHARTS_H_
#define QUINTREL_REPORT_DASHBOARD_CHARTS_H_

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "analysis/profile.h"
#include "analysis/profile_analytics.h"

namespace quintrel {

// The most bars the timeline and the chart of latency over time draw; more
// buckets are merged.
constexpr size_t kMaxTimelineBars = 600;
constexpr size_t kMaxP95Bars = 300;

void WriteTimelineSection(const Profile& profile, std::ostream& out);
void WriteLatencySection(const ProfileAnalytics& analytics, std::ostream& out);
// The p95 of the calls over time, as a chart with a y-axis, for the section
// of latency over time.
void WriteLatencyOverTimeChart(const ProfileAnalytics& analytics, std::ostream& out);

// A stretch of time in its largest whole unit: "1 s", "90 s", "5 min",
// "6 h", "2 d".
std::string SpanText(int64_t seconds);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_DASHBOARD_CHARTS_H_
