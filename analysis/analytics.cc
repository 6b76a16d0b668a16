#include "analysis/analytics.h"

#include <cmath>
#include <limits>
#include <memory>
#include <utility>

#include "analysis/fingerprint.h"
#include "analysis/mergeable_profile.h"
#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

// A query's duration, a sum held as a double, in whole milliseconds.
int64_t WholeMillis(double durationMs) {
  if (!(durationMs < 9.2e18)) return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(std::llround(durationMs));
}

}  // namespace

void Analytics::addCall(const CallFacts& call) {
  std::string_view text = call.apiLineText;
  ClassMember member{call.durationMs, 0, text, call.threadId, call.timeStamp};
  CallFingerprint(text, &fingerprint_);
  ClassTable::Class* callClass = callClasses_.classOf(fingerprint_);
  // A call class has one API: its fingerprint begins with the name.
  if (callClass->group == nullptr) callClass->group = apis_.classOf(ApiNameOf(text));
  ClassTable::Add(callClass, member, true);
  ClassTable::Add(callClass->group, member, false);
  uint32_t thread = threads_.add(call.threadId, call.durationMs, call.timeStamp);
  sessions_.add(text, call.openedSession, thread, call.durationMs);
  int64_t seconds;
  if (clock_.secondsOf(call.timeStamp, &seconds)) {
    timeline_.add(seconds, call.durationMs, thread);
    span_.add(seconds, call.timeStamp, call.durationMs);
  } else {
    span_.addUndated();
  }
}

void Analytics::onQueryRecord(QueryRecord* record) {
  std::string_view text = record->queryText.view();
  QueryFingerprint(text, record->gluedAt, &fingerprint_);
  ClassMember member{WholeMillis(record->durationMs), record->rowCount, text, record->threadId,
                     record->startStamp};
  queryClasses_.add(fingerprint_, member, true);
}

void Analytics::moveInto(Profile* profile) {
  auto exact = std::make_shared<MergeableProfile>();
  apis_.moveInto(&exact->apis);
  queryClasses_.moveInto(&exact->queryClasses);
  callClasses_.moveInto(&exact->callClasses);
  for (ThreadRow& row : threads_.rows()) {
    exact->threads.push_back(MergeableThread{"", std::move(row.id), row.calls, row.dmclMs,
                                             std::move(row.first), std::move(row.last)});
  }
  exact->bucketSeconds = timeline_.bucketSeconds();
  exact->fixedWidth = timeline_.fixedWidth();
  exact->timeline = timeline_.takeBuckets();
  exact->span = span_;
  exact->topCalls = profile->topCalls;
  exact->startStamp = profile->startTimestamp;
  exact->endStamp = profile->endTimestamp;
  exact->dmclMs = profile->totalCallMillis;
  profile->analytics = exact->analytics();
  profile->mergeable = std::move(exact);
  sessions_.moveInto(&profile->analytics);
  profile->hasAnalytics = true;
  *this = Analytics(0);
}

}  // namespace quintrel
