#include "report/digest_report.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/class_id.h"
#include "report/report_format.h"
#include "report/text_table.h"
#include "report/timeline_bars.h"
#include "report/version.h"

namespace quintrel {

namespace {

const size_t kListRows = 10;
const size_t kShortListRows = 5;
// A fingerprint takes up to kNoteLines lines under its class; a list of
// classes takes at most kClassListLines lines below its heading. With them
// the digest stays within 100 lines.
const size_t kNoteLines = 2;
const size_t kClassListLines = 20;
const size_t kWhereRows = 3;

// A list's title and how many of its entries it leaves out.
void WriteTitle(std::ostream& out, const char* title, size_t shown, size_t total) {
  out << '\n' << title << " (" << shown << " of " << total;
  if (total > shown) out << ", " << total - shown << " more not shown";
  out << ")\n";
}

// Writes `line` cut to the width, and a line end.
void WriteCut(const std::string& line, size_t width, std::ostream& out) {
  out << CutText(line, width) << '\n';
}

// The filters and --top of the run.
void WriteRun(const ReportContext& context, size_t width, std::ostream& out) {
  std::string filters;
  for (const std::string& filter : context.filters)
    filters += (filters.empty() ? "" : ", ") + filter;
  WriteCut("  filters      " + (filters.empty() ? "none" : filters) + "   top " +
               std::to_string(context.top),
           width, out);
}

void WriteHeadline(const Profile& profile, const ReportContext& context, size_t width,
                   std::ostream& out) {
  const ProfileAnalytics& analytics = profile.analytics;
  double elapsed = double(analytics.elapsedMs);
  WriteCut(std::string("quintrel ") + VERSION + " digest of " + context.traceName, width, out);
  WriteCut("  trace        " + ByteSize(context.traceBytes) + ", " + std::to_string(profile.lines) +
               " lines, " + std::to_string(analytics.calls) + " calls, " +
               std::to_string(analytics.threads.size()) + " threads, " +
               std::to_string(analytics.queries) + " queries",
           width, out);
  WriteCut("  start        " + (profile.startTimestamp.empty() ? "-" : profile.startTimestamp),
           width, out);
  WriteCut("  elapsed      " + FixedSeconds(analytics.elapsedMs) + " s   DMCL time " +
               FixedSeconds(profile.totalCallMillis) + " s   concurrency " +
               (elapsed > 0 ? Fixed(double(profile.totalCallMillis) / elapsed, 2) : "-"),
           width, out);
  WriteRun(context, width, out);
  if (analytics.partial) {
    WriteCut("  partial      out of memory: the calls after the last one taken are missing", width,
             out);
  }
}

// One block a column, its height `values[i]` against the largest value.
std::string Sparkline(const std::vector<int64_t>& values) {
  const char* const kBlocks[] = {" ", "▁", "▂", "▃", "▄", "▅", "▆", "▇", "█"};
  int64_t peak = values.empty() ? 0 : *std::max_element(values.begin(), values.end());
  std::string line;
  for (int64_t value : values) {
    // In doubles, as DMCL times can come near the largest int64_t.
    double level = peak > 0 ? std::ceil(8.0 * double(value) / double(peak)) : 0;
    line += kBlocks[size_t(std::min(level, 8.0))];
  }
  return line;
}

// The DMCL time of each column, and under it the p95 of the calls in it
// (the highest p95 of its buckets where a column joins several).
void WriteTimeline(const ProfileAnalytics& analytics, size_t width, std::ostream& out) {
  if (analytics.timeline.empty()) {
    out << "\ntimeline     (no call with a dated stamp)\n";
    return;
  }
  TimelineBars columns = TimelineBars::Merge(analytics.timeline, analytics.bucketSeconds,
                                             std::max<size_t>(width > 16 ? width - 16 : 0, 10));
  std::vector<int64_t> dmcl, p95;
  for (const TimelineBar& column : columns.bars) {
    dmcl.push_back(column.dmclMs);
    p95.push_back(column.p95Ms);
  }
  int64_t peak = columns.bars[columns.busiest].dmclMs;
  int64_t slowest = *std::max_element(p95.begin(), p95.end());
  out << "\ntimeline     " << Sparkline(dmcl) << "\np95          " << Sparkline(p95) << '\n';
  WriteCut("             " + IsoDateTime(columns.bars.front().start) + " to " +
               IsoDateTime(analytics.timeline.back().start + analytics.bucketSeconds) + ", " +
               std::to_string(columns.barSeconds) + " s a column",
           width, out);
  WriteCut("             █ = " + FixedSeconds(peak) + " s DMCL time, " + std::to_string(slowest) +
               " ms p95 of the calls",
           width, out);
}

// The figures of a class or an API as cells: count, total, share, mean, p95,
// max.
std::vector<std::string> FigureCells(const DurationStats& stats, double dmcl) {
  return {std::to_string(stats.count),
          FixedSeconds(stats.totalMs),
          PercentOf(double(stats.totalMs), dmcl),
          Fixed(stats.meanMs, 1),
          std::to_string(stats.p95Ms),
          std::to_string(stats.maxMs)};
}

// A list of named rows (APIs, users, repositories) with their figures, at
// most `limit` of them.
void WriteNamedRows(const std::vector<ClassRow>& rows, const char* title, const char* name,
                    size_t limit, double dmcl, size_t width, std::ostream& out) {
  size_t shown = std::min(rows.size(), limit);
  WriteTitle(out, title, shown, rows.size());
  TextTable table({">calls", ">total s", ">share %", ">mean ms", ">p95 ms", ">max ms", name});
  for (size_t i = 0; i < shown; ++i) {
    std::vector<std::string> cells = FigureCells(rows[i].stats, dmcl);
    cells.push_back(rows[i].name);
    table.addRow(cells);
  }
  table.write(out, width);
}

// The characters of `a` up to and including the first that differs from
// `b` (all of `a` when it begins `b`).
size_t DistinguishingLength(const std::string& a, const std::string& b) {
  size_t same =
      std::mismatch(a.begin(), a.begin() + std::min(a.size(), b.size()), b.begin()).first -
      a.begin();
  return DisplayWidth(a.substr(0, std::min(a.size(), same + 1)));
}

// The fingerprint of row `index` as written under it, and its lines: the
// whole text where it fits kNoteLines lines; else where the first listed
// text it resembles differs from it within them, as much as they hold; else
// its beginning, and on a second line the stretch where it differs.
std::pair<std::string, size_t> NoteOf(const std::vector<ClassRow>& rows, size_t listed,
                                      size_t index, size_t columns) {
  const std::string& text = rows[index].name;
  size_t whole = WrapText(text, columns, SIZE_MAX).size();
  if (whole <= kNoteLines) return {text, std::max<size_t>(whole, 1)};
  size_t distinguishing = 0;
  for (size_t other = 0; other < listed; ++other) {
    if (other != index) {
      distinguishing = std::max(distinguishing, DistinguishingLength(text, rows[other].name));
    }
  }
  std::vector<std::string> lines = WrapText(text, columns, kNoteLines);
  size_t shown = 0;
  for (const std::string& line : lines) shown += DisplayWidth(line);
  if (distinguishing + 3 <= shown) return {text, lines.size()};
  // Begin the second line half a line before the difference.
  size_t from = distinguishing > columns / 2 ? distinguishing - columns / 2 : 0;
  std::string tail = text.substr(SkipCharacters(text, 0, from));
  return {lines.front() + "\n..." + tail, kNoteLines};
}

// A list of classes: a line of figures under the class id, then the
// fingerprint wrapped below it, as many classes as kClassListLines hold.
void WriteClasses(const std::vector<ClassRow>& rows, ClassKind kind, const char* title,
                  const char* count, bool fetches, double dmcl, size_t width, std::ostream& out) {
  size_t columns = width > kNoteIndent + 20 ? width - kNoteIndent : 20;
  size_t listed = std::min(rows.size(), kListRows);
  std::vector<std::pair<std::string, size_t>> notes;
  for (size_t i = 0, used = 0; i < listed; ++i) {
    notes.push_back(NoteOf(rows, listed, i, columns));
    if (used + 1 + notes.back().second > kClassListLines) {
      notes.pop_back();
      break;
    }
    used += 1 + notes.back().second;
  }
  WriteTitle(out, title, notes.size(), rows.size());
  std::vector<std::string> headings = {
      "class", std::string(">") + count, ">total s", ">share %", ">mean ms", ">p95 ms", ">max ms"};
  if (fetches) headings.push_back(">fetches");
  TextTable table(headings);
  for (size_t i = 0; i < notes.size(); ++i) {
    std::vector<std::string> cells = {ClassId(kind, rows[i].name)};
    for (std::string& cell : FigureCells(rows[i].stats, dmcl)) cells.push_back(std::move(cell));
    if (fetches) cells.push_back(std::to_string(rows[i].fetches));
    table.addRow(cells);
    table.addNote(notes[i].first, notes[i].second);
  }
  table.write(out, width);
}

void WriteSlowestCalls(const Profile& profile, size_t width, std::ostream& out) {
  size_t shown = std::min(profile.topCalls.size(), kShortListRows);
  WriteTitle(out, "slowest calls", shown, size_t(profile.analytics.calls));
  TextTable table({">ms", "thread", "start", "call"});
  for (auto entry = profile.topCalls.rbegin(); entry != profile.topCalls.rbegin() + shown;
       ++entry) {
    // The cell shows at most `width` columns: a huge call is not copied whole.
    std::string_view call = entry->callText.view();
    table.addRow({std::to_string(int64_t(entry->durationMs)), entry->threadId, entry->timeStamp,
                  std::string(call.substr(0, SkipCharacters(call, 0, width + 1)))});
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

// A change in DMCL time, with its sign.
std::string SignedSeconds(double ms) { return (ms > 0 ? "+" : "") + FixedSeconds(ms); }

// --compare: the few largest changes against the base, first in the digest.
void WriteChanges(const ProfileComparison& comparison, size_t width, std::ostream& out) {
  size_t shown = std::min(comparison.classes.size(), kShortListRows);
  out << '\n'
      << CutText("biggest changes against " + comparison.baseName, width) << " (" << shown << " of "
      << comparison.classes.size() << ", " << comparison.newClasses << " new, "
      << comparison.goneClasses << " gone)\n";
  out << "  base totals x " << Fixed(comparison.scale, 3) << ", for elapsed "
      << FixedSeconds(double(comparison.elapsedMs)) << " s against "
      << FixedSeconds(double(comparison.baseElapsedMs)) << " s\n";
  TextTable table(
      {">change s", ">base s", ">now s", ">base p95", ">p95", ">p95 x", "kind", "class"});
  for (size_t i = 0; i < shown; ++i) {
    const ComparedClass& entry = comparison.classes[i];
    bool api = entry.kind == ComparedKind::kApi;
    table.addRow({SignedSeconds(entry.changeMs), FixedSeconds(double(entry.base.totalMs)),
                  FixedSeconds(double(entry.current.totalMs)), std::to_string(entry.base.p95Ms),
                  std::to_string(entry.current.p95Ms), P95RatioText(entry), KindName(entry.kind),
                  api ? entry.name : ClassId(ClassKindOf(entry.kind), entry.name)});
    if (!api) table.addNote(entry.name, 1);
  }
  table.write(out, width);
}

}  // namespace

void WriteDigestReport(const Profile& profile, const ReportContext& context, std::ostream& out) {
  const ProfileAnalytics& analytics = profile.analytics;
  double dmcl = double(profile.totalCallMillis);
  size_t width = std::max<size_t>(context.width, 60);
  WriteHeadline(profile, context, width, out);
  if (profile.comparison != nullptr) WriteChanges(*profile.comparison, width, out);
  WriteTimeline(analytics, width, out);
  WriteNamedRows(analytics.apis, "top APIs", "api", kListRows, dmcl, width, out);
  WriteClasses(analytics.queryClasses, ClassKind::kQuery, "query classes", "queries", true, dmcl,
               width, out);
  WriteClasses(analytics.callClasses, ClassKind::kCall, "call classes", "calls", false, dmcl, width,
               out);
  WriteSlowestCalls(profile, width, out);
  WriteThreads(profile, width, out);
  WriteNamedRows(analytics.users, "users", "user", kShortListRows, dmcl, width, out);
  WriteNamedRows(analytics.repositories, "repositories", "repository", kWhereRows, dmcl, width,
                 out);
  out.flush();
}

}  // namespace quintrel
