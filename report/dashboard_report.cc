#include "report/dashboard_report.h"

#include <string>
#include <string_view>
#include <vector>

#include "analysis/class_id.h"
#include "report/dashboard_changes.h"
#include "report/dashboard_charts.h"
#include "report/dashboard_lists.h"
#include "report/dashboard_page.h"
#include "report/markup_escape.h"
#include "report/report_format.h"
#include "report/version.h"

namespace quintrel {

namespace {

// How much of the trace's name, the options and one filter the page shows.
const size_t kTraceNameBytes = 300;
const size_t kOptionBytes = 1000;
const size_t kFilterBytes = 200;

void WriteHeader(const ReportContext& context, std::ostream& out) {
  out << "<header><h1>quintrel dashboard <span>";
  WriteHtmlTextCut(out, context.traceName, kTraceNameBytes);
  out << "</span></h1>\n<nav><a href=\"#timeline\">Timeline</a> "
         "<a href=\"#latency-over-time\">Latency over time</a> <a href=\"#apis\">APIs</a> "
         "<a href=\"#latency\">Latency</a> <a href=\"#queries\">Query classes</a> "
         "<a href=\"#calls\">Call classes</a> <a href=\"#slowest\">Slowest calls</a> "
         "<a href=\"#threads\">Threads</a> <a href=\"#who\">Users</a></nav></header>\n<main>\n";
}

// A figure and what it is; `exact`, when given, shows on hovering it.
void WriteCard(const std::string& value, const char* label, std::ostream& out,
               const std::string& exact = "") {
  out << "<div class=\"card\"><b";
  if (!exact.empty()) out << " title=\"" << exact << "\"";
  out << ">" << value << "</b><span>" << label << "</span></div>";
}

void WriteCards(const Profile& profile, std::ostream& out) {
  const ProfileAnalytics& analytics = profile.analytics;
  double elapsed = double(analytics.elapsedMs);
  bool timed = profile.timeSplit.error == TimeSplitError::kNone;
  out << "<div class=\"cards\">";
  WriteCard(timed ? HumanDuration(profile.timeSplit.elapsedMs) : "\u2013", "elapsed", out,
            timed ? FixedSeconds(elapsed) + " s" : "");
  WriteCard(HumanDuration(profile.totalCallMillis), "DMCL time", out,
            FixedSeconds(double(profile.totalCallMillis)) + " s");
  WriteCard(elapsed > 0 ? Fixed(double(profile.totalCallMillis) / elapsed, 2) : "\u2013",
            "concurrency (DMCL / elapsed)", out);
  WriteCard(Grouped(analytics.calls), "calls", out);
  WriteCard(Grouped(int64_t(analytics.threads.size())), "threads", out);
  WriteCard(Grouped(analytics.queries), "queries", out);
  out << "</div>\n";
}

void WriteFact(const char* term, std::string_view text, std::ostream& out) {
  out << "<dt>" << term << "</dt><dd>";
  WriteHtmlTextCut(out, text.empty() ? "\u2013" : text, kOptionBytes);
  out << "</dd>";
}

void WriteFilters(const ReportContext& context, std::ostream& out) {
  const std::vector<std::string>& filters = context.filters;
  out << "<dt>filters</dt><dd>";
  if (filters.empty()) out << "none";
  for (size_t i = 0; i < filters.size(); ++i) {
    out << (i > 0 ? ", " : "") << "<code>";
    WriteHtmlTextCut(out, filters[i], kFilterBytes);
    out << "</code>";
  }
  out << "</dd>";
}

// The class that took the most DMCL time, so that the first screen says
// what is slow: its id, its share and its fingerprint, cut.
void WriteTopClass(const char* term, const std::vector<ClassRow>& rows, ClassKind kind,
                   double dmclMs, std::ostream& out) {
  out << "<dt>" << term << "</dt><dd>";
  if (rows.empty()) {
    out << "none</dd>";
    return;
  }
  out << "<code>" << ClassId(kind, rows.front().name) << "</code> "
      << PercentOf(double(rows.front().stats.totalMs), dmclMs) << " % of DMCL time: ";
  WriteHtmlTextCut(out, rows.front().name, kOptionBytes);
  out << "</dd>";
}

void WriteSummary(const Profile& profile, const ReportContext& context, std::ostream& out) {
  WriteSectionStart(out, "summary", "Summary");
  WriteCards(profile, out);
  out << "<dl class=\"facts\">";
  WriteFact("first call", profile.startTimestamp, out);
  WriteFact("last call", profile.endTimestamp, out);
  WriteFilters(context, out);
  double dmcl = double(profile.totalCallMillis);
  WriteTopClass("top query class", profile.analytics.queryClasses, ClassKind::kQuery, dmcl, out);
  WriteTopClass("top call class", profile.analytics.callClasses, ClassKind::kCall, dmcl, out);
  std::string problem = TimeSplitMessage(profile.timeSplit.error);  // ends in a line feed
  if (!problem.empty()) WriteFact("elapsed", problem.substr(0, problem.size() - 1), out);
  if (profile.analytics.partial) {
    WriteFact("partial", "out of memory: the calls after the last one taken are missing", out);
  }
  out << "</dl>\n";
  WriteSectionEnd(out);
}

void WriteFooter(const ReportContext& context, std::ostream& out) {
  out << "</main>\n<footer>Trace ";
  WriteHtmlTextCut(out, context.traceName, kTraceNameBytes);
  out << ", " << ByteSize(context.traceBytes) << " (" << Grouped(int64_t(context.traceBytes))
      << " bytes). quintrel " << VERSION << ", options: ";
  WriteHtmlTextCut(out, context.options.empty() ? "none" : context.options, kOptionBytes);
  out << ".</footer>\n";
}

}  // namespace

void WriteDashboardReport(const Profile& profile, const ReportContext& context, std::ostream& out) {
  std::string title =
      "quintrel dashboard: " + std::string(Utf8Prefix(context.traceName, kTraceNameBytes));
  WriteDashboardHead(out, title);
  WriteHeader(context, out);
  WriteSummary(profile, context, out);
  if (profile.comparison != nullptr) WriteChangesSection(*profile.comparison, context.top, out);
  WriteTimelineSection(profile, out);
  WriteSectionStart(out, "latency-over-time", "Latency over time");
  WriteLatencyOverTimeChart(profile.analytics, out);
  out << "<details><summary>Every bucket with calls: count, mean and exact percentiles</summary>";
  WriteBucketTable(profile.analytics, out);
  out << "</details>\n";
  WriteSectionEnd(out);
  WriteApiSection(profile, context.top, out);
  WriteLatencySection(profile.analytics, out);
  WriteQueryClassSection(profile, context.top, out);
  WriteCallClassSection(profile, context.top, out);
  WriteSlowestCallSection(profile, context.top, out);
  WriteThreadSection(profile, context.top, out);
  WriteWhoSection(profile, context.top, out);
  WriteFooter(context, out);
  WriteDashboardEnd(out);
  out.flush();
}

}  // namespace quintrel
