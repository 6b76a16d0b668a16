#include "analysis/analytics.h"

#include <cmath>
#include <limits>
#include <utility>

#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

// A query's duration, a sum held as a double, in whole milliseconds.
int64_t WholeMillis(double durationMs) {
  if (!(durationMs < 9.2e18)) return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(std::llround(durationMs));
}

// Buckets of 0, 1, 2, 5, 10, 20, 50 ... ms up to the longest call.
std::vector<LatencyBucket> Latency(const ClassTable& apis, int64_t longest) {
  std::vector<LatencyBucket> buckets;
  buckets.push_back(LatencyBucket{0, 1, apis.countBetween(0, 1)});
  const int64_t kSteps[] = {1, 2, 5};
  for (int64_t scale = 1; buckets.back().toMs <= longest; scale *= 10) {
    for (int64_t step : kSteps) {
      int64_t from = step * scale;
      int64_t to = step == 5 ? 10 * scale : (step == 1 ? 2 : 5) * scale;
      buckets.push_back(LatencyBucket{from, to, apis.countBetween(from, to)});
      if (to > longest) break;
    }
    if (scale > std::numeric_limits<int64_t>::max() / 100) break;
  }
  return buckets;
}

}  // namespace

void Analytics::addCall(const CallFacts& call) {
  std::string_view fingerprint = call.fingerprint;
  if (fingerprint.empty()) {
    fingerprint = std::string_view(callFingerprint_.data(),
                                   CallFingerprint(call.apiLineText, callFingerprint_.data()));
  }
  ClassTable::Class* callClass = callClasses_.classOf(fingerprint);
  // A call class has one API: its fingerprint begins with the name. An API's
  // durations are those of its call classes, added up at the end.
  if (callClass->group == nullptr) {
    callClass->group =
        apis_.classOf(call.fingerprint.empty() ? ApiNameOf(call.apiLineText) : call.apiName);
  }
  ClassTable::Add(callClass,
                  ClassMember{call.durationMs, 0, call.apiLineText, call.threadId, call.timeStamp},
                  true);
  uint32_t thread = threads_.add(call.threadId, call.durationMs, call.timeStamp);
  sessions_.add(call.fingerprint.empty() ? call.apiLineText : call.sessionText, call.openedSession,
                thread, call.durationMs);
  int64_t seconds, startMs;
  if (clock_.millisOf(call.timeStamp, &seconds, &startMs)) {
    timeline_.add(seconds, call.durationMs, thread);
    span_.add(startMs, call.durationMs);
  } else {
    span_.addUndated();
  }
  ++calls_;
}

void Analytics::onQueryRecord(QueryRecord* record) {
  std::string_view text = record->queryText.view();
  QueryFingerprint(text, record->gluedAt, &fingerprint_);
  ClassMember member{WholeMillis(record->durationMs), record->rowCount, text, record->threadId,
                     record->startStamp};
  queryClasses_.add(fingerprint_, member, true);
  ++queries_;
}

void Analytics::moveInto(Profile* profile) {
  ProfileAnalytics& analytics = profile->analytics;
  callClasses_.addDurationsToGroups();
  analytics.apis = apis_.ranked();
  analytics.queryClasses = queryClasses_.ranked();
  analytics.callClasses = callClasses_.ranked();
  analytics.threads = threads_.ranked();
  sessions_.moveInto(&analytics);
  analytics.bucketSeconds = timeline_.bucketSeconds();
  analytics.timeline = timeline_.buckets();
  int64_t longest = 0;
  for (const ClassRow& api : analytics.apis) longest = std::max(longest, api.stats.maxMs);
  analytics.latency = Latency(apis_, longest);
  analytics.calls = calls_;
  analytics.queries = queries_;
  if (!span_.span(&analytics.elapsedMs)) analytics.elapsedMs = profile->timeSplit.elapsedMs;
  profile->hasAnalytics = true;
  *this = Analytics(0);
}

}  // namespace quintrel
