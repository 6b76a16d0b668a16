#include "report/json_report.h"

#include <cmath>
#include <string>
#include <vector>

#include "analysis/class_id.h"
#include "analysis/profile_comparison.h"
#include "report/json_writer.h"
#include "report/line_end.h"
#include "report/report_format.h"

namespace quintrel {

namespace {

// Version 2 added the class ids and the durations of each timeline bucket.
const int kProfileVersion = 2;

// A ratio for people: three decimals are enough.
double Rounded(double value) { return std::round(value * 1000.0) / 1000.0; }

double Percent(double part, double whole) {
  return whole > 0 ? Rounded(100.0 * part / whole) : 0.0;
}

// A list of `items` under `name`, of which at most `top` are written, each
// by `writeItem`; `total` is what the list says it holds.
template <typename Row, typename WriteItem>
void WriteList(JsonWriter& json, const char* name, const std::vector<Row>& items, size_t top,
               uint64_t total, WriteItem writeItem) {
  json.key(name);
  json.beginObject();
  json.field("total", total);
  json.key("items");
  json.beginArray();
  for (size_t i = 0; i < items.size() && i < top; ++i) writeItem(items[i]);
  json.endArray();
  json.endObject();
}

void WriteExample(JsonWriter& json, const Example& example) {
  json.key("example");
  json.beginObject();
  json.field("text", example.text);
  json.field("ms", example.ms);
  json.field("thread", example.thread);
  json.field("start", example.start);
  json.endObject();
}

// The figures of a class row, its name under `nameKey` and its count under
// `countKey`, as members of the open object.
void WriteClassFields(JsonWriter& json, const ClassRow& row, const char* nameKey,
                      const char* countKey, double dmclMs) {
  const DurationStats& stats = row.stats;
  json.field(nameKey, row.name);
  json.field(countKey, stats.count);
  json.field("totalMs", stats.totalMs);
  json.field("sharePct", Percent(double(stats.totalMs), dmclMs));
  json.field("meanMs", Rounded(stats.meanMs));
  json.field("p50Ms", stats.p50Ms);
  json.field("p95Ms", stats.p95Ms);
  json.field("p99Ms", stats.p99Ms);
  json.field("maxMs", stats.maxMs);
}

void WriteTrace(JsonWriter& json, const Profile& profile, const ReportContext& context) {
  const ProfileAnalytics& analytics = profile.analytics;
  json.key("trace");
  json.beginObject();
  json.field("name", context.traceName);
  json.field("bytes", uint64_t{context.traceBytes});
  json.field("lines", uint64_t{profile.lines});
  json.field("calls", analytics.calls);
  json.field("threads", uint64_t{analytics.threads.size()});
  json.field("queries", analytics.queries);
  if (analytics.partial) json.field("partial", true);
  json.endObject();
}

// The time split of the TEXT report is kept as traceDurationMs; the elapsed
// time runs to the end of the call that ends last.
void WriteTimeSplit(JsonWriter& json, const Profile& profile) {
  double elapsed = double(profile.analytics.elapsedMs), dmcl = double(profile.totalCallMillis);
  json.key("timeSplit");
  json.beginObject();
  json.field("start", profile.startTimestamp);
  json.field("end", profile.endTimestamp);
  json.field("elapsedMs", profile.analytics.elapsedMs);
  json.field("traceDurationMs", profile.timeSplit.elapsedMs);
  json.field("dmclMs", profile.totalCallMillis);
  json.field("concurrency", elapsed > 0 ? Rounded(dmcl / elapsed) : 0.0);
  json.endObject();
}

void WriteRun(JsonWriter& json, const ReportContext& context) {
  json.key("run");
  json.beginObject();
  json.key("filters");
  json.beginArray();
  for (const std::string& filter : context.filters) json.value(filter);
  json.endArray();
  json.field("top", uint64_t{context.top});
  json.endObject();
}

void WriteClasses(JsonWriter& json, const char* name, const std::vector<ClassRow>& rows,
                  ClassKind kind, size_t top, const char* countKey, bool fetches, double dmclMs) {
  WriteList(json, name, rows, top, rows.size(), [&](const ClassRow& row) {
    json.beginObject();
    json.field("id", ClassId(kind, row.name));
    WriteClassFields(json, row, "fingerprint", countKey, dmclMs);
    if (fetches) json.field("fetches", row.fetches);
    WriteExample(json, row.example);
    json.endObject();
  });
}

void WriteTopCalls(JsonWriter& json, const Profile& profile, size_t top) {
  std::vector<const TopCallEntry*> largestFirst;
  for (auto entry = profile.topCalls.rbegin(); entry != profile.topCalls.rend(); ++entry) {
    largestFirst.push_back(&*entry);
  }
  // The total is the number of calls: the list holds the longest of them.
  WriteList(json, "topCalls", largestFirst, top, uint64_t(profile.analytics.calls),
            [&](const TopCallEntry* entry) {
              json.beginObject();
              json.field("text", entry->callText.view());
              json.field("ms", static_cast<int64_t>(entry->durationMs));
              json.field("thread", entry->threadId);
              json.field("start", entry->timeStamp);
              json.endObject();
            });
}

void WriteThreads(JsonWriter& json, const Profile& profile, size_t top) {
  double elapsed = double(profile.analytics.elapsedMs);
  const std::vector<ThreadRow>& threads = profile.analytics.threads;
  WriteList(json, "threads", threads, top, threads.size(), [&](const ThreadRow& row) {
    json.beginObject();
    json.field("id", row.id);
    json.field("calls", row.calls);
    json.field("dmclMs", row.dmclMs);
    json.field("busyPct", Percent(double(row.dmclMs), elapsed));
    json.field("first", row.first);
    json.field("last", row.last);
    json.endObject();
  });
}

void WriteTimeline(JsonWriter& json, const ProfileAnalytics& analytics) {
  json.key("timeline");
  json.beginObject();
  json.field("bucketSeconds", analytics.bucketSeconds);
  json.key("buckets");
  json.beginArray();
  for (const TimelineBucket& bucket : analytics.timeline) {
    json.beginObject();
    json.field("start", IsoDateTime(bucket.start));
    json.field("calls", bucket.calls);
    json.field("dmclMs", bucket.dmclMs);
    json.field("threads", bucket.threads);
    json.field("maxMs", bucket.maxMs);
    json.field("meanMs", Rounded(bucket.meanMs));
    json.field("p50Ms", bucket.p50Ms);
    json.field("p95Ms", bucket.p95Ms);
    json.field("p99Ms", bucket.p99Ms);
    json.endObject();
  }
  json.endArray();
  json.endObject();
}

void WriteComparedStats(JsonWriter& json, const char* name, const DurationStats& stats) {
  json.key(name);
  json.beginObject();
  json.field("count", stats.count);
  json.field("totalMs", stats.totalMs);
  json.field("meanMs", Rounded(stats.meanMs));
  json.field("p95Ms", stats.p95Ms);
  json.endObject();
}

// --compare: how each class moved against the base, the largest changes
// first, at most `top` of them.
void WriteComparison(JsonWriter& json, const ProfileComparison& comparison, size_t top) {
  json.key("comparison");
  json.beginObject();
  json.field("base", comparison.baseName);
  json.field("baseElapsedMs", comparison.baseElapsedMs);
  json.field("elapsedMs", comparison.elapsedMs);
  json.field("baseScale", Rounded(comparison.scale));
  json.field("newClasses", comparison.newClasses);
  json.field("goneClasses", comparison.goneClasses);
  WriteList(json, "changes", comparison.classes, top, comparison.classes.size(),
            [&](const ComparedClass& entry) {
              json.beginObject();
              json.field("kind", KindName(entry.kind));
              json.field("name", entry.name);
              if (entry.kind != ComparedKind::kApi) {
                json.field("id", ClassId(ClassKindOf(entry.kind), entry.name));
              }
              json.field("presence", PresenceName(entry));
              WriteComparedStats(json, "base", entry.base);
              WriteComparedStats(json, "current", entry.current);
              json.field("changeMs", Rounded(entry.changeMs));
              json.field("p95Ratio", Rounded(entry.p95Ratio));
              json.endObject();
            });
  json.endObject();
}

// Who and where: the calls by user, by repository and by session.
void WriteWhoAndWhere(JsonWriter& json, const ProfileAnalytics& analytics, size_t top,
                      double dmclMs) {
  auto named = [&](const ClassRow& row) {
    json.beginObject();
    WriteClassFields(json, row, "name", "calls", dmclMs);
    json.endObject();
  };
  WriteList(json, "users", analytics.users, top, analytics.users.size(), named);
  WriteList(json, "repositories", analytics.repositories, top, analytics.repositories.size(),
            named);
  WriteList(json, "sessions", analytics.sessions, top, analytics.sessions.size(),
            [&](const SessionRow& row) {
              json.beginObject();
              WriteClassFields(json, row.figures, "session", "calls", dmclMs);
              json.field("user", row.user);
              json.field("repository", row.repository);
              json.endObject();
            });
}

}  // namespace

void WriteJsonReport(const Profile& profile, const ReportContext& context, std::ostream& out) {
  const ProfileAnalytics& analytics = profile.analytics;
  double dmcl = double(profile.totalCallMillis);
  JsonWriter json(&out);
  json.beginObject();
  json.field("format", "quintrel-profile");
  json.field("version", int64_t{kProfileVersion});
  WriteTrace(json, profile, context);
  WriteRun(json, context);
  WriteTimeSplit(json, profile);
  WriteList(json, "apis", analytics.apis, context.top, analytics.apis.size(),
            [&](const ClassRow& row) {
              json.beginObject();
              WriteClassFields(json, row, "name", "calls", dmcl);
              json.endObject();
            });
  WriteClasses(json, "queryClasses", analytics.queryClasses, ClassKind::kQuery, context.top,
               "queries", true, dmcl);
  WriteClasses(json, "callClasses", analytics.callClasses, ClassKind::kCall, context.top, "calls",
               false, dmcl);
  WriteTopCalls(json, profile, context.top);
  WriteThreads(json, profile, context.top);
  WriteTimeline(json, analytics);
  WriteWhoAndWhere(json, analytics, context.top, dmcl);
  if (profile.comparison != nullptr) WriteComparison(json, *profile.comparison, context.top);
  json.endObject();
  EndLine(out);
}

}  // namespace quintrel
