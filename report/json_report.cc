#include "report/json_report.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "analysis/class_id.h"
#include "report/line_end.h"
#include "report/report_format.h"

namespace quintrel {

namespace {

// Version 2 added the class ids and the durations of each timeline bucket.
const int kProfileVersion = 2;

using Json = nlohmann::ordered_json;

// A ratio for people: three decimals are enough.
double Rounded(double value) { return std::round(value * 1000.0) / 1000.0; }

double Percent(double part, double whole) {
  return whole > 0 ? Rounded(100.0 * part / whole) : 0.0;
}

// A list of `items`, of which at most `top` are written.
template <typename Row, typename ToJson>
Json List(const std::vector<Row>& items, size_t top, ToJson toJson) {
  Json list = {{"total", items.size()}, {"items", Json::array()}};
  for (size_t i = 0; i < items.size() && i < top; ++i) list["items"].push_back(toJson(items[i]));
  return list;
}

Json ExampleJson(const Example& example) {
  return {{"text", example.text},
          {"ms", example.ms},
          {"thread", example.thread},
          {"start", example.start}};
}

// A class row, with the name under `nameKey` and its count under `countKey`.
Json ClassJson(const ClassRow& row, const char* nameKey, const char* countKey, double dmclMs) {
  const DurationStats& stats = row.stats;
  return {{nameKey, row.name},
          {countKey, stats.count},
          {"totalMs", stats.totalMs},
          {"sharePct", Percent(double(stats.totalMs), dmclMs)},
          {"meanMs", Rounded(stats.meanMs)},
          {"p50Ms", stats.p50Ms},
          {"p95Ms", stats.p95Ms},
          {"p99Ms", stats.p99Ms},
          {"maxMs", stats.maxMs}};
}

Json TraceJson(const Profile& profile, const ReportContext& context) {
  const ProfileAnalytics& analytics = profile.analytics;
  return {{"name", context.traceName},
          {"bytes", context.traceBytes},
          {"lines", profile.lines},
          {"calls", analytics.calls},
          {"threads", analytics.threads.size()},
          {"queries", analytics.queries}};
}

// The time split of the TEXT report is kept as traceDurationMs; the elapsed
// time runs to the end of the call that ends last.
Json TimeSplitJson(const Profile& profile) {
  double elapsed = double(profile.analytics.elapsedMs), dmcl = double(profile.totalCallMillis);
  return {{"start", profile.startTimestamp},
          {"end", profile.endTimestamp},
          {"elapsedMs", profile.analytics.elapsedMs},
          {"traceDurationMs", profile.timeSplit.elapsedMs},
          {"dmclMs", profile.totalCallMillis},
          {"concurrency", elapsed > 0 ? Rounded(dmcl / elapsed) : 0.0}};
}

Json RunJson(const ReportContext& context) {
  return {{"filters", context.filters}, {"top", context.top}};
}

Json ClassesJson(const std::vector<ClassRow>& rows, ClassKind kind, size_t top,
                 const char* countKey, bool fetches, double dmclMs) {
  return List(rows, top, [&](const ClassRow& row) {
    Json item = {{"id", ClassId(kind, row.name)}};
    item.update(ClassJson(row, "fingerprint", countKey, dmclMs));
    if (fetches) item["fetches"] = row.fetches;
    item["example"] = ExampleJson(row.example);
    return item;
  });
}

Json TopCallsJson(const Profile& profile, size_t top) {
  std::vector<const TopCallEntry*> largestFirst;
  for (auto entry = profile.topCalls.rbegin(); entry != profile.topCalls.rend(); ++entry) {
    largestFirst.push_back(&*entry);
  }
  Json list = List(largestFirst, top, [](const TopCallEntry* entry) {
    return Json{{"text", std::string(entry->callText.view())},
                {"ms", static_cast<int64_t>(entry->durationMs)},
                {"thread", entry->threadId},
                {"start", entry->timeStamp}};
  });
  list["total"] = profile.analytics.calls;  // the longest of all calls
  return list;
}

Json ThreadsJson(const Profile& profile, size_t top) {
  double elapsed = double(profile.analytics.elapsedMs);
  return List(profile.analytics.threads, top, [&](const ThreadRow& row) {
    return Json{{"id", row.id},         {"calls", row.calls},
                {"dmclMs", row.dmclMs}, {"busyPct", Percent(double(row.dmclMs), elapsed)},
                {"first", row.first},   {"last", row.last}};
  });
}

Json TimelineJson(const ProfileAnalytics& analytics) {
  Json buckets = Json::array();
  for (const TimelineBucket& bucket : analytics.timeline) {
    buckets.push_back({{"start", IsoDateTime(bucket.start)},
                       {"calls", bucket.calls},
                       {"dmclMs", bucket.dmclMs},
                       {"threads", bucket.threads},
                       {"maxMs", bucket.maxMs},
                       {"meanMs", Rounded(bucket.meanMs)},
                       {"p50Ms", bucket.p50Ms},
                       {"p95Ms", bucket.p95Ms},
                       {"p99Ms", bucket.p99Ms}});
  }
  return {{"bucketSeconds", analytics.bucketSeconds}, {"buckets", buckets}};
}

Json ComparedStatsJson(const DurationStats& stats) {
  return {{"count", stats.count},
          {"totalMs", stats.totalMs},
          {"meanMs", Rounded(stats.meanMs)},
          {"p95Ms", stats.p95Ms}};
}

// --compare: how each class moved against the base, the largest changes
// first, at most `top` of them.
Json ComparisonJson(const ProfileComparison& comparison, size_t top) {
  Json changes = List(comparison.classes, top, [](const ComparedClass& entry) {
    Json item = {{"kind", KindName(entry.kind)}, {"name", entry.name}};
    if (entry.kind != ComparedKind::kApi) {
      item["id"] = ClassId(ClassKindOf(entry.kind), entry.name);
    }
    item.update({{"presence", PresenceName(entry)},
                 {"base", ComparedStatsJson(entry.base)},
                 {"current", ComparedStatsJson(entry.current)},
                 {"changeMs", Rounded(entry.changeMs)},
                 {"p95Ratio", Rounded(entry.p95Ratio)}});
    return item;
  });
  return {{"base", comparison.baseName},         {"baseElapsedMs", comparison.baseElapsedMs},
          {"elapsedMs", comparison.elapsedMs},   {"baseScale", Rounded(comparison.scale)},
          {"newClasses", comparison.newClasses}, {"goneClasses", comparison.goneClasses},
          {"changes", std::move(changes)}};
}

// Who and where: the calls by user, by repository and by session.
void AddWhoAndWhere(const ProfileAnalytics& analytics, size_t top, double dmclMs, Json* document) {
  auto named = [dmclMs](const ClassRow& row) { return ClassJson(row, "name", "calls", dmclMs); };
  (*document)["users"] = List(analytics.users, top, named);
  (*document)["repositories"] = List(analytics.repositories, top, named);
  (*document)["sessions"] = List(analytics.sessions, top, [dmclMs](const SessionRow& row) {
    Json item = ClassJson(row.figures, "session", "calls", dmclMs);
    item["user"] = row.user;
    item["repository"] = row.repository;
    return item;
  });
}

}  // namespace

void WriteJsonReport(const Profile& profile, const ReportContext& context, std::ostream& out) {
  const ProfileAnalytics& analytics = profile.analytics;
  double dmcl = double(profile.totalCallMillis);
  Json document = {
      {"format", "quintrel-profile"},
      {"version", kProfileVersion},
      {"trace", TraceJson(profile, context)},
      {"run", RunJson(context)},
      {"timeSplit", TimeSplitJson(profile)},
      {"apis", List(analytics.apis, context.top,
                    [&](const ClassRow& row) { return ClassJson(row, "name", "calls", dmcl); })},
      {"queryClasses",
       ClassesJson(analytics.queryClasses, ClassKind::kQuery, context.top, "queries", true, dmcl)},
      {"callClasses",
       ClassesJson(analytics.callClasses, ClassKind::kCall, context.top, "calls", false, dmcl)},
      {"topCalls", TopCallsJson(profile, context.top)},
      {"threads", ThreadsJson(profile, context.top)},
      {"timeline", TimelineJson(analytics)},
  };
  AddWhoAndWhere(analytics, context.top, dmcl, &document);
  if (profile.comparison != nullptr) {
    document["comparison"] = ComparisonJson(*profile.comparison, context.top);
  }
  out << document.dump(1, ' ', false, Json::error_handler_t::replace);
  EndLine(out);
}

}  // namespace quintrel
