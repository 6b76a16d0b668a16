#include "report/dashboard_lists.h"

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/class_id.h"
#include "report/dashboard_page.h"
#include "report/dashboard_table.h"
#include "report/report_format.h"

namespace quintrel {

namespace {

// How much of a trace text a table cell shows.
const size_t kNameBytes = 120;
const size_t kTextBytes = 200;
const size_t kStampBytes = 60;

struct Noun {
  const char* one;
  const char* many;
};

std::string Counted(size_t count, const Noun& noun) {
  return Grouped(int64_t(count)) + " " + (count == 1 ? noun.one : noun.many);
}

// The note under a list: how many of its entries it shows and why not all.
void WriteListNote(size_t shown, size_t total, size_t top, bool full, const Noun& noun,
                   std::ostream& out) {
  out << "<p class=\"note\">";
  if (total == 0) {
    out << "No " << noun.many << ".";
  } else if (shown == total) {
    out << (total == 1 ? "The only " : "All ") << Counted(total, noun) << ".";
  } else {
    out << "The first " << Grouped(int64_t(shown)) << " of " << Counted(total, noun) << "; "
        << Grouped(int64_t(total - shown)) << " left out"
        << (full ? " to keep the page under 1 MB."
                 : " (at most --top=" + std::to_string(top) + " a list).");
  }
  out << "</p>\n";
}

// The table, unless it is empty, and its note.
void WriteList(const DashboardTable& table, size_t total, size_t top, const Noun& noun,
               std::ostream& out) {
  if (table.rows() > 0) table.write(out);
  WriteListNote(table.rows(), total, top, table.full(), noun, out);
}

// The figures every class row shows after its count.
void AddClassFigures(const DurationStats& stats, double dmclMs, DashboardTable* table) {
  table->seconds(stats.totalMs);
  table->percent(double(stats.totalMs), dmclMs);
  table->mean(stats.meanMs);
  table->count(stats.p95Ms);
  table->count(stats.maxMs);
}

// How the two lists of classes differ.
struct ClassList {
  ClassKind kind;
  const char* id;
  const char* heading;
  const char* countHeading;
  Noun noun;
  bool fetches;
  size_t budget;
};

void AddFingerprint(const ClassRow& row, DashboardTable* table) {
  const Example& example = row.example;
  if (example.ms < 0) {
    table->text(row.name, kTextBytes);
    return;
  }
  std::string summary = "slowest: " + Grouped(example.ms) + " ms, thread " +
                        std::string(Utf8Prefix(example.thread, kStampBytes)) + ", " +
                        std::string(Utf8Prefix(example.start, kStampBytes));
  table->textWithDetail(row.name, kTextBytes, summary, example.text);
}

void WriteClassSection(const std::vector<ClassRow>& rows, const ClassList& list, double dmclMs,
                       size_t top, std::ostream& out) {
  WriteSectionStart(out, list.id, list.heading);
  std::vector<DashboardTable::Column> columns = {{list.countHeading, true}, {"total s", true},
                                                 {"share %", true},         {"mean ms", true},
                                                 {"p95 ms", true},          {"max ms", true}};
  if (list.fetches) columns.push_back({"fetches", true});
  columns.push_back({"class", false});
  columns.push_back({"fingerprint, slowest example", false});
  DashboardTable table(columns, list.budget);
  for (size_t i = 0; i < rows.size() && i < top; ++i) {
    table.count(rows[i].stats.count);
    AddClassFigures(rows[i].stats, dmclMs, &table);
    if (list.fetches) table.count(rows[i].fetches);
    table.label(ClassId(list.kind, rows[i].name), kClassIdDigits);
    AddFingerprint(rows[i], &table);
    if (!table.endRow()) break;
  }
  WriteList(table, rows.size(), top, list.noun, out);
  WriteSectionEnd(out);
}

// The call text of a slowest call: cut in the table, whole (as far as the
// model keeps examples) on expanding.
void AddCallText(std::string_view text, size_t droppedBytes, DashboardTable* table) {
  size_t whole = text.size() + droppedBytes;
  if (whole <= kTextBytes) {
    table->text(text, kTextBytes);
    return;
  }
  std::string_view kept = Utf8Prefix(text, kMaxExample);
  std::string summary =
      "whole call (" + Grouped(int64_t(whole)) + " bytes" +
      (kept.size() < whole ? ", the first " + Grouped(int64_t(kMaxExample)) + " shown)" : ")");
  table->textWithDetail(text, kTextBytes, summary, kept);
}

// The hover title of a bar: "getfile: 2.480 s, 20.5 % of DMCL time".
std::string BarTitle(std::string_view name, int64_t ms, double wholeMs, const char* whole) {
  return std::string(Utf8Prefix(name, kNameBytes)) + ": " + FixedSeconds(double(ms)) + " s, " +
         PercentOf(double(ms), wholeMs) + " % of " + whole;
}

}  // namespace

void WriteApiSection(const Profile& profile, size_t top, std::ostream& out) {
  const std::vector<ClassRow>& apis = profile.analytics.apis;
  WriteSectionStart(out, "apis", "Top APIs by total time");
  DashboardTable table({{"API", false},
                        {"total s", true},
                        {"calls", true},
                        {"share %", true},
                        {"mean ms", true},
                        {"p95 ms", true},
                        {"max ms", true}},
                       kApiBudget);
  int64_t longest = apis.empty() ? 0 : apis.front().stats.totalMs;
  double dmclMs = double(profile.totalCallMillis);
  for (size_t i = 0; i < apis.size() && i < top; ++i) {
    const DurationStats& stats = apis[i].stats;
    table.text(apis[i].name, kNameBytes);
    table.secondsWithBar(stats.totalMs, longest,
                         BarTitle(apis[i].name, stats.totalMs, dmclMs, "DMCL time"));
    table.count(stats.count);
    table.percent(double(stats.totalMs), dmclMs);
    table.mean(stats.meanMs);
    table.count(stats.p95Ms);
    table.count(stats.maxMs);
    if (!table.endRow()) break;
  }
  WriteList(table, apis.size(), top, {"API", "APIs"}, out);
  WriteSectionEnd(out);
}

void WriteQueryClassSection(const Profile& profile, size_t top, std::ostream& out) {
  ClassList list = {ClassKind::kQuery,
                    "queries",
                    "Query classes",
                    "queries",
                    {"query class", "query classes"},
                    true,
                    kQueryClassBudget};
  WriteClassSection(profile.analytics.queryClasses, list, double(profile.totalCallMillis), top,
                    out);
}

void WriteCallClassSection(const Profile& profile, size_t top, std::ostream& out) {
  ClassList list = {
      ClassKind::kCall, "calls", "Call classes", "calls", {"call class", "call classes"}, false,
      kCallClassBudget};
  WriteClassSection(profile.analytics.callClasses, list, double(profile.totalCallMillis), top, out);
}

void WriteSlowestCallSection(const Profile& profile, size_t top, std::ostream& out) {
  WriteSectionStart(out, "slowest", "Slowest calls");
  DashboardTable table({{"ms", true}, {"thread", false}, {"start", false}, {"call", false}},
                       kSlowestCallBudget);
  size_t shown = std::min(profile.topCalls.size(), top);
  for (auto entry = profile.topCalls.rbegin(); entry != profile.topCalls.rbegin() + shown;
       ++entry) {
    table.count(static_cast<int64_t>(entry->durationMs));
    table.label(entry->threadId, kStampBytes);
    table.label(entry->timeStamp, kStampBytes);
    AddCallText(entry->callText.view(), entry->droppedBytes, &table);
    if (!table.endRow()) break;
  }
  size_t kept = profile.topCalls.size();
  if (table.rows() > 0) table.write(out);
  if (kept > 0 && table.rows() == kept) {
    out << "<p class=\"note\">The " << Counted(kept, {"longest call", "longest calls"}) << " of "
        << Counted(size_t(profile.analytics.calls), {"call", "calls"}) << ".</p>\n";
  } else {
    WriteListNote(table.rows(), kept, top, table.full(), {"slowest call", "slowest calls"}, out);
  }
  WriteSectionEnd(out);
}

void WriteThreadSection(const Profile& profile, size_t top, std::ostream& out) {
  const std::vector<ThreadRow>& threads = profile.analytics.threads;
  WriteSectionStart(out, "threads", "Busiest threads");
  DashboardTable table({{"thread", false},
                        {"DMCL s", true},
                        {"busy %", true},
                        {"calls", true},
                        {"first call", false},
                        {"last call", false}},
                       kThreadBudget);
  int64_t busiest = threads.empty() ? 0 : threads.front().dmclMs;
  double elapsedMs = double(profile.analytics.elapsedMs);
  for (size_t i = 0; i < threads.size() && i < top; ++i) {
    const ThreadRow& row = threads[i];
    table.label(row.id, kStampBytes);
    table.secondsWithBar(row.dmclMs, busiest,
                         BarTitle(row.id, row.dmclMs, elapsedMs, "elapsed time"));
    table.percent(double(row.dmclMs), elapsedMs);
    table.count(row.calls);
    table.label(row.first, kStampBytes);
    table.label(row.last, kStampBytes);
    if (!table.endRow()) break;
  }
  WriteList(table, threads.size(), top, {"thread", "threads"}, out);
  WriteSectionEnd(out);
}

namespace {

void WriteWhoTable(const std::vector<ClassRow>& rows, const char* heading, const Noun& noun,
                   double dmclMs, size_t top, std::ostream& out) {
  DashboardTable table({{heading, false},
                        {"calls", true},
                        {"total s", true},
                        {"share %", true},
                        {"mean ms", true},
                        {"p95 ms", true},
                        {"max ms", true}},
                       kWhoBudget);
  for (size_t i = 0; i < rows.size() && i < top; ++i) {
    table.label(rows[i].name, kNameBytes);
    table.count(rows[i].stats.count);
    AddClassFigures(rows[i].stats, dmclMs, &table);
    if (!table.endRow()) break;
  }
  WriteList(table, rows.size(), top, noun, out);
}

}  // namespace

void WriteWhoSection(const Profile& profile, size_t top, std::ostream& out) {
  double dmclMs = double(profile.totalCallMillis);
  WriteSectionStart(out, "who", "Users and repositories");
  WriteWhoTable(profile.analytics.users, "user", {"user", "users"}, dmclMs, top, out);
  WriteWhoTable(profile.analytics.repositories, "repository", {"repository", "repositories"},
                dmclMs, top, out);
  WriteSectionEnd(out);
}

void WriteBucketTable(const ProfileAnalytics& analytics, std::ostream& out) {
  DashboardTable table({{"bucket", false},
                        {"calls", true},
                        {"mean ms", true},
                        {"p50 ms", true},
                        {"p95 ms", true},
                        {"p99 ms", true},
                        {"max ms", true}},
                       kBucketBudget);
  size_t filled = 0;
  for (const TimelineBucket& bucket : analytics.timeline) {
    if (bucket.calls == 0) continue;
    ++filled;
    if (table.rows() == kMaxBucketRows || table.full()) continue;
    table.label(IsoDateTime(bucket.start), kStampBytes);
    table.count(bucket.calls);
    table.mean(bucket.meanMs);
    table.count(bucket.p50Ms);
    table.count(bucket.p95Ms);
    table.count(bucket.p99Ms);
    table.count(bucket.maxMs);
    table.endRow();
  }
  WriteList(table, filled, kMaxBucketRows, {"bucket with calls", "buckets with calls"}, out);
}

}  // namespace quintrel
