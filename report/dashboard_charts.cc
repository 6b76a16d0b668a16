#include "report/dashboard_charts.h"

#include <algorithm>

#include "analysis/time_stamp.h"
#include "report/dashboard_page.h"
#include "report/report_format.h"
#include "report/svg_chart.h"
#include "report/timeline_bars.h"

namespace quintrel {

namespace {

// The charts span the view box's width less a margin on either side; those
// over time keep room on the left for the values of their y-axis.
const double kWidth = 1000, kLeft = 10, kRight = 990, kPlotLeft = 70;

// The timeline: DMCL time above, calls below, times under both.
const int kTimelineHeight = 250;
const double kDmclTop = 24, kDmclBottom = 150, kCallsTop = 166, kCallsBottom = 222;

// Latency over time: the p95 of each bar, gridlines with their values on
// the left, times under it.
const int kP95Height = 200;
const double kP95Top = 16, kP95Bottom = 160;

// The histogram: bars, their counts above, the bucket bounds below.
const int kLatencyHeight = 220;
const double kLatencyTop = 26, kLatencyBottom = 180;

// The height of a bar of `value` in an area of `height` topped by `max`; a
// bar of a value above zero is at least one unit high.
double BarHeight(int64_t value, int64_t max, double height) {
  if (value <= 0 || max <= 0) return 0;
  return std::max(1.0, height * (double(value) / double(max)));
}

// The x and width of bar `index` of `count` across the chart right of
// `left`.
void BarSlot(double left, size_t index, size_t count, double* x, double* width) {
  double slot = (kRight - left) / double(count);
  *x = left + slot * double(index);
  *width = slot >= 3 ? slot * 0.8 : slot;
}

std::string BarTitle(const TimelineBar& bar, const TimelineBars& bars, int64_t bucketSeconds) {
  std::string threads = Grouped(bar.threads) + (bar.threads == 1 ? " thread" : " threads");
  if (bars.bucketsPerBar > 1) threads += " at most in one " + SpanText(bucketSeconds) + " bucket";
  return IsoDateTime(bar.start) + " (" + SpanText(bars.barSeconds) + "): " + Grouped(bar.calls) +
         (bar.calls == 1 ? " call, " : " calls, ") + Grouped(bar.dmclMs) + " ms DMCL, " + threads +
         ", longest " + Grouped(bar.maxMs) + " ms";
}

void DrawTimelineBar(const TimelineBars& bars, size_t index, int64_t bucketSeconds, int64_t maxDmcl,
                     int64_t maxCalls, const std::string& partial, SvgChart* chart) {
  const TimelineBar& bar = bars.bars[index];
  double x, width;
  BarSlot(kPlotLeft, index, bars.bars.size(), &x, &width);
  bool last = index + 1 == bars.bars.size();
  chart->beginGroup(BarTitle(bar, bars, bucketSeconds) +
                    (last && !partial.empty() ? ", partial" + partial : ""));
  chart->rect(x, kDmclTop, width, kCallsBottom - kDmclTop, "hit");
  double dmcl = BarHeight(bar.dmclMs, maxDmcl, kDmclBottom - kDmclTop);
  bool busiest = index == bars.busiest;
  if (dmcl > 0) chart->rect(x, kDmclBottom - dmcl, width, dmcl, busiest ? "peak" : "dmcl");
  double calls = BarHeight(bar.calls, maxCalls, kCallsBottom - kCallsTop);
  if (calls > 0) chart->rect(x, kCallsBottom - calls, width, calls, "calls");
  chart->endGroup();
}

// The marker over the busiest bar, the values of both areas on the left,
// and the times under the chart.
void DrawTimelineLabels(const TimelineBars& bars, int64_t maxDmcl, int64_t maxCalls,
                        SvgChart* chart) {
  double x, width;
  BarSlot(kPlotLeft, bars.busiest, bars.bars.size(), &x, &width);
  double middle = x + width / 2;
  chart->marker(middle, kDmclTop - 4, "peak");
  bool right = middle > kWidth * 0.75;
  chart->text(right ? middle - 9 : middle + 9, kDmclTop - 6, "busiest", right ? "end" : "start",
              "strong");
  chart->line(kPlotLeft, kDmclTop + 0.5, kRight, kDmclTop + 0.5, "axis");
  chart->line(kPlotLeft, kDmclBottom + 0.5, kRight, kDmclBottom + 0.5, "axis");
  chart->line(kPlotLeft, kCallsBottom + 0.5, kRight, kCallsBottom + 0.5, "axis");
  chart->text(kPlotLeft - 6, kDmclTop + 4, HumanDuration(maxDmcl), "end");
  chart->text(kPlotLeft - 6, kDmclBottom + 4, "0", "end");
  chart->text(kPlotLeft - 6, kCallsTop + 8, Grouped(maxCalls) + " calls", "end");
  int64_t first = bars.bars.front().start;
  int64_t end = bars.bars.back().start + bars.barSeconds;
  double y = kTimelineHeight - 8;
  chart->text(kPlotLeft, y, IsoDateTime(first), "start");
  if (bars.bars.size() > 1) {
    chart->text((kPlotLeft + kRight) / 2, y, IsoDateTime(first + (end - first) / 2), "middle");
  }
  chart->text(kRight, y, IsoDateTime(end), "end");
}

void WriteTimelineChart(const TimelineBars& bars, int64_t bucketSeconds, const std::string& partial,
                        std::ostream& out) {
  int64_t maxDmcl = 0, maxCalls = 0;
  for (const TimelineBar& bar : bars.bars) {
    maxDmcl = std::max(maxDmcl, bar.dmclMs);
    maxCalls = std::max(maxCalls, bar.calls);
  }
  out << "<p class=\"note legend\"><span class=\"key dmcl\"></span>DMCL time (tallest bar "
      << FixedSeconds(double(maxDmcl)) << " s)<span class=\"key calls\"></span>calls (tallest bar "
      << Grouped(maxCalls) << ")<span class=\"key peak\"></span>busiest</p>\n<div class=\"chart\">";
  SvgChart chart(out, int(kWidth), kTimelineHeight, "DMCL time and calls over time");
  for (size_t i = 0; i < bars.bars.size(); ++i) {
    if (bars.bars[i].calls > 0) {
      DrawTimelineBar(bars, i, bucketSeconds, maxDmcl, maxCalls, partial, &chart);
    }
  }
  DrawTimelineLabels(bars, maxDmcl, maxCalls, &chart);
  chart.end();
  out << "</div>\n";
}

void WriteTimelineNotes(const TimelineBars& bars, const ProfileAnalytics& analytics,
                        const std::string& partial, std::ostream& out) {
  const TimelineBar& busiest = bars.bars[bars.busiest];
  out << "<p class=\"note\">Busiest: " << IsoDateTime(busiest.start) << " to "
      << IsoDateTime(busiest.start + bars.barSeconds) << ", "
      << FixedSeconds(double(busiest.dmclMs)) << " s DMCL time in " << Grouped(busiest.calls)
      << " calls. ";
  size_t buckets = analytics.timeline.size();
  out << Grouped(int64_t(buckets)) << (buckets == 1 ? " bucket" : " buckets") << " of "
      << SpanText(analytics.bucketSeconds);
  if (bars.bucketsPerBar > 1) {
    out << ", merged into " << Grouped(int64_t(bars.bars.size())) << " bars of "
        << SpanText(bars.barSeconds) << " to keep the chart small";
  }
  out << ". Hover a bar for its figures.";
  if (!partial.empty()) out << " The last bar is partial" << partial << ".";
  out << "</p>\n";
}

// The bound of a latency bucket: "0 ms", "500 ms", "2 s".
std::string BoundText(int64_t ms) {
  return ms < 1000 || ms % 1000 != 0 ? Grouped(ms) + " ms" : Grouped(ms / 1000) + " s";
}

void DrawLatencyBar(const LatencyBucket& bucket, size_t index, size_t count, int64_t maxCalls,
                    int64_t allCalls, SvgChart* chart) {
  double x, width, slot = (kRight - kLeft) / double(count);
  BarSlot(kLeft, index, count, &x, &width);
  chart->beginGroup(Grouped(bucket.fromMs) + " to " + Grouped(bucket.toMs) +
                    " ms: " + Grouped(bucket.calls) + (bucket.calls == 1 ? " call (" : " calls (") +
                    PercentOf(double(bucket.calls), double(allCalls)) + " %)");
  chart->rect(x, kLatencyTop, width, kLatencyBottom - kLatencyTop, "hit");
  double height = BarHeight(bucket.calls, maxCalls, kLatencyBottom - kLatencyTop);
  if (height > 0) chart->rect(x, kLatencyBottom - height, width, height, "dmcl");
  chart->endGroup();
  if (slot >= 40 && bucket.calls > 0) {
    chart->text(x + width / 2, kLatencyBottom - height - 5, Grouped(bucket.calls), "middle");
  }
}

void DrawLatencyBounds(const std::vector<LatencyBucket>& buckets, SvgChart* chart) {
  double slot = (kRight - kLeft) / double(buckets.size());
  size_t step = std::max<size_t>(1, size_t(56 / slot) + 1);  // labels 56 units apart at least
  for (size_t i = 0; i <= buckets.size(); i += step) {
    int64_t bound = i < buckets.size() ? buckets[i].fromMs : buckets.back().toMs;
    const char* anchor = i == 0 ? "start" : (i == buckets.size() ? "end" : "middle");
    chart->text(kLeft + slot * double(i), kLatencyBottom + 18, BoundText(bound), anchor);
  }
  chart->line(kLeft, kLatencyBottom + 0.5, kRight, kLatencyBottom + 0.5, "axis");
}

// Gridlines at 0, a half and the whole of `maxMs`, labelled on the left.
void DrawP95Axis(int64_t maxMs, SvgChart* chart) {
  for (int step = 0; step <= 2; ++step) {
    double y = kP95Bottom - (kP95Bottom - kP95Top) * step / 2.0;
    chart->line(kPlotLeft, y + 0.5, kRight, y + 0.5, "axis");
    chart->text(kPlotLeft - 6, y + 4, Grouped(maxMs * step / 2) + " ms", "end");
  }
}

void WriteP95Chart(const TimelineBars& bars, std::ostream& out) {
  int64_t maxP95 = 0;
  for (const TimelineBar& bar : bars.bars) maxP95 = std::max(maxP95, bar.p95Ms);
  out << "<p class=\"note legend\"><span class=\"key p95\"></span>p95 of the calls (highest "
      << Grouped(maxP95) << " ms)</p>\n<div class=\"chart\">";
  SvgChart chart(out, int(kWidth), kP95Height, "p95 of the calls over time");
  DrawP95Axis(maxP95, &chart);
  for (size_t i = 0; i < bars.bars.size(); ++i) {
    const TimelineBar& bar = bars.bars[i];
    if (bar.calls == 0) continue;
    double x, width;
    BarSlot(kPlotLeft, i, bars.bars.size(), &x, &width);
    chart.beginGroup(IsoDateTime(bar.start) + " (" + SpanText(bars.barSeconds) + "): p95 " +
                     Grouped(bar.p95Ms) + " ms, longest " + Grouped(bar.maxMs) + " ms, " +
                     Grouped(bar.calls) + (bar.calls == 1 ? " call" : " calls"));
    chart.rect(x, kP95Top, width, kP95Bottom - kP95Top, "hit");
    double height = BarHeight(bar.p95Ms, maxP95, kP95Bottom - kP95Top);
    if (height > 0) chart.rect(x, kP95Bottom - height, width, height, "p95");
    chart.endGroup();
  }
  int64_t end = bars.bars.back().start + bars.barSeconds;
  chart.text(kPlotLeft, kP95Height - 8, IsoDateTime(bars.bars.front().start), "start");
  chart.text(kRight, kP95Height - 8, IsoDateTime(end), "end");
  chart.end();
  out << "</div>\n";
}

}  // namespace

void WriteLatencyOverTimeChart(const ProfileAnalytics& analytics, std::ostream& out) {
  TimelineBars bars = TimelineBars::Merge(analytics.timeline, analytics.bucketSeconds, kMaxP95Bars);
  if (bars.bars.empty()) {
    out << "<p class=\"note\">No call with a dated time stamp.</p>\n";
    return;
  }
  WriteP95Chart(bars, out);
  out << "<p class=\"note\">The 95th percentile of the durations of the calls that started in "
         "each bar (where a bar joins several buckets, the highest of theirs).</p>\n";
}

// ": the trace ends at ..." when the last bar reaches past the second of
// the last call, else "".
std::string PartialEnd(const TimelineBars& bars, const Profile& profile) {
  TimeStamp stamp;
  if (bars.bars.empty() || !TimeStamp::ReadHeaderStamp(profile.endTimestamp, &stamp) ||
      !stamp.hasDate()) {
    return "";
  }
  int64_t end = stamp.secondsSinceEpoch() + 1;
  if (bars.bars.back().start + bars.barSeconds <= end) return "";
  return ": the trace ends at " + IsoDateTime(end);
}

void WriteTimelineSection(const Profile& profile, std::ostream& out) {
  const ProfileAnalytics& analytics = profile.analytics;
  WriteSectionStart(out, "timeline", "Timeline");
  TimelineBars bars =
      TimelineBars::Merge(analytics.timeline, analytics.bucketSeconds, kMaxTimelineBars);
  if (bars.bars.empty()) {
    out << "<div class=\"chart\">";
    SvgChart chart(out, int(kWidth), 60, "DMCL time and calls over time");
    chart.text(kWidth / 2, 34, "No call with a dated time stamp", "middle");
    chart.end();
    out << "</div>\n";
  } else {
    std::string partial = PartialEnd(bars, profile);
    WriteTimelineChart(bars, analytics.bucketSeconds, partial, out);
    WriteTimelineNotes(bars, analytics, partial, out);
  }
  WriteSectionEnd(out);
}

void WriteLatencySection(const ProfileAnalytics& analytics, std::ostream& out) {
  WriteSectionStart(out, "latency", "Latency of all calls");
  const std::vector<LatencyBucket>& buckets = analytics.latency;
  int64_t maxCalls = 0;
  for (const LatencyBucket& bucket : buckets) maxCalls = std::max(maxCalls, bucket.calls);
  out << "<div class=\"chart\">";
  SvgChart chart(out, int(kWidth), kLatencyHeight, "Calls by duration");
  for (size_t i = 0; i < buckets.size(); ++i) {
    DrawLatencyBar(buckets[i], i, buckets.size(), maxCalls, analytics.calls, &chart);
  }
  if (!buckets.empty()) DrawLatencyBounds(buckets, &chart);
  if (maxCalls == 0) chart.text(kWidth / 2, kLatencyTop + 60, "No calls", "middle");
  chart.end();
  out << "</div>\n<p class=\"note\">Calls by duration, in buckets that grow 1, 2, 5 per decade; "
         "a bucket holds the calls from its left bound up to its right one. Hover a bar for its "
         "count.</p>\n";
  WriteSectionEnd(out);
}

std::string SpanText(int64_t seconds) {
  if (seconds > 0 && seconds % 86400 == 0) return Grouped(seconds / 86400) + " d";
  if (seconds > 0 && seconds % 3600 == 0) return Grouped(seconds / 3600) + " h";
  if (seconds > 0 && seconds % 60 == 0) return Grouped(seconds / 60) + " min";
  return Grouped(seconds) + " s";
}

}  // namespace quintrel
