#include "report/digest_report.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "report/report_format.h"
#include "report/text_table.h"
#include "report/timeline_bars.h"
#include "report/version.h"

namespace quintrel {

namespace {

const size_t kListRows = 10;
const size_t kShortListRows = 5;

// A list's title and how many of its entries it leaves out.
void WriteTitle(std::ostream& out, const char* title, size_t shown, size_t total) {
  out << '\n' << title << " (" << shown << " of " << total;
  if (total > shown) out << ", " << total - shown << " more not shown";
  out << ")\n";
}

// The filters and --top of the run, cut to the width.
void WriteRun(const ReportContext& context, size_t width, std::ostream& out) {
  std::string filters;
  for (const std::string& filter : context.filters)
    filters += (filters.empty() ? "" : ", ") + filter;
  std::string line = "  filters      " + (filters.empty() ? "none" : filters) + "   top " +
                     std::to_string(context.top);
  out << CutText(line, width) << '\n';
}

void WriteHeadline(const Profile& profile, const ReportContext& context, size_t width,
                   std::ostream& out) {
  const ProfileAnalytics& analytics = profile.analytics;
  double elapsed = double(analytics.elapsedMs);
  out << "quintrel " << VERSION << " digest of " << context.traceName << '\n';
  out << "  trace        " << ByteSize(context.traceBytes) << ", " << profile.lines << " lines, "
      << analytics.calls << " calls, " << analytics.threads.size() << " threads, "
      << analytics.queries << " queries\n";
  out << "  start        " << (profile.startTimestamp.empty() ? "-" : profile.startTimestamp)
      << '\n';
  out << "  elapsed      " << FixedSeconds(analytics.elapsedMs) << " s   DMCL time "
      << FixedSeconds(profile.totalCallMillis) << " s   concurrency "
      << (elapsed > 0 ? Fixed(double(profile.totalCallMillis) / elapsed, 2) : "-") << '\n';
  WriteRun(context, width, out);
}

void WriteTimeline(const ProfileAnalytics& analytics, size_t width, std::ostream& out) {
  if (analytics.timeline.empty()) {
    out << "\ntimeline     (no call with a dated stamp)\n";
    return;
  }
  const char* const kBlocks[] = {" ", "▁", "▂", "▃", "▄", "▅", "▆", "▇", "█"};
  TimelineBars columns = TimelineBars::Merge(analytics.timeline, analytics.bucketSeconds,
                                             std::max<size_t>(width > 16 ? width - 16 : 0, 10));
  int64_t peak = columns.bars[columns.busiest].dmclMs;
  out << "\ntimeline     ";
  for (const TimelineBar& column : columns.bars) {
    // In doubles, as DMCL times can come near the largest int64_t.
    double level = peak > 0 ? std::ceil(8.0 * double(column.dmclMs) / double(peak)) : 0;
    out << kBlocks[size_t(std::min(level, 8.0))];
  }
  out << "\n             " << IsoDateTime(columns.bars.front().start) << " to "
      << IsoDateTime(analytics.timeline.back().start + analytics.bucketSeconds) << ", "
      << columns.barSeconds << " s a column; █ = " << FixedSeconds(peak) << " s DMCL\n";
}

// A list of classes: `count` heads the count column, `name` the names.
void WriteClasses(const std::vector<ClassRow>& rows, const char* title, const char* count,
                  const char* name, bool fetches, double dmcl, size_t width, std::ostream& out) {
  size_t shown = std::min(rows.size(), kListRows);
  WriteTitle(out, title, shown, rows.size());
  std::vector<std::string> headings = {
      std::string(">") + count, ">total s", ">share %", ">mean ms", ">p95 ms", ">max ms"};
  if (fetches) headings.push_back(">fetches");
  headings.push_back(name);
  TextTable table(headings);
  for (size_t i = 0; i < shown; ++i) {
    const DurationStats& stats = rows[i].stats;
    std::vector<std::string> cells = {std::to_string(stats.count),
                                      FixedSeconds(stats.totalMs),
                                      PercentOf(double(stats.totalMs), dmcl),
                                      Fixed(stats.meanMs, 1),
                                      std::to_string(stats.p95Ms),
                                      std::to_string(stats.maxMs)};
    if (fetches) cells.push_back(std::to_string(rows[i].fetches));
    cells.push_back(rows[i].name);
    table.addRow(cells);
  }
  table.write(out, width);
}

void WriteSlowestCalls(const Profile& profile, size_t width, std::ostream& out) {
  size_t shown = std::min(profile.topCalls.size(), kShortListRows);
  WriteTitle(out, "slowest calls", shown, size_t(profile.analytics.calls));
  TextTable table({">ms", "thread", "start", "call"});
  for (auto entry = profile.topCalls.rbegin(); entry != profile.topCalls.rbegin() + shown;
       ++entry) {
    table.addRow({std::to_string(int64_t(entry->durationMs)), entry->threadId, entry->timeStamp,
                  std::string(entry->callText.view())});
  }
  table.write(out, width);
}

void WriteThreads(const Profile& profile, size_t width, std::ostream& out) {
  const std::vector<ThreadRow>& threads = profile.analytics.threads;
  size_t shown = std::min(threads.size(), kShortListRows);
  WriteTitle(out, "busiest threads", shown, threads.size());
  TextTable table({"thread", ">calls", ">DMCL s", ">busy %", "first", "last"});
  for (size_t i = 0; i < shown; ++i) {
    const ThreadRow& row = threads[i];
    table.addRow({row.id, std::to_string(row.calls), FixedSeconds(row.dmclMs),
                  PercentOf(double(row.dmclMs), double(profile.analytics.elapsedMs)), row.first,
                  row.last});
  }
  table.write(out, width);
}

}  // namespace

void WriteDigestReport(const Profile& profile, const ReportContext& context, std::ostream& out) {
  const ProfileAnalytics& analytics = profile.analytics;
  double dmcl = double(profile.totalCallMillis);
  size_t width = std::max<size_t>(context.width, 60);
  WriteHeadline(profile, context, width, out);
  WriteTimeline(analytics, width, out);
  WriteClasses(analytics.apis, "top APIs", "calls", "api", false, dmcl, width, out);
  WriteClasses(analytics.queryClasses, "query classes", "queries", "fingerprint", true, dmcl, width,
               out);
  WriteClasses(analytics.callClasses, "call classes", "calls", "fingerprint", false, dmcl, width,
               out);
  WriteSlowestCalls(profile, width, out);
  WriteThreads(profile, width, out);
  out.flush();
}

}  // namespace quintrel
