#include "analysis/analytics.h"

#include <cmath>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

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

// The threads of `rows`, as a profile of one trace keeps them.
std::vector<MergeableThread> MergeableThreads(std::vector<ThreadRow> rows) {
  std::vector<MergeableThread> threads;
  threads.reserve(rows.size());
  for (ThreadRow& row : rows) {
    threads.push_back(MergeableThread{"", std::move(row.id), row.calls, row.dmclMs,
                                      std::move(row.first), std::move(row.last)});
  }
  return threads;
}

}  // namespace

void Analytics::setApi(const CallFacts& call, size_t nameSize, ClassTable::Class* callClass) {
  // A call class has one API: its fingerprint begins with the name. An API's
  // durations are those of its call classes, added up at the end.
  callClass->group =
      apis_.classOf(call.fingerprint.empty() ? call.apiLineText.substr(0, nameSize) : call.apiName);
}

void Analytics::addLeftOut(const CallFacts& call) {
  std::string_view sessionText = call.fingerprint.empty() ? call.apiLineText : call.sessionText;
  sessions_.openLeftOut(sessionText, call.openedSession, threads_.find(call.threadId),
                        call.threadId);
}

uint32_t Analytics::callClassOf(std::string_view text, size_t* nameSize, uint32_t* sessionSlot) {
  *nameSize = ApiNameLength(text);
  bool cached = text.size() <= RecentCalls::kMaxText;
  size_t idAt = RecentCalls::kNoId;
  uint64_t hash = 0;
  if (cached) {
    idAt = ObjectIdAfterHandle(text, *nameSize);
    hash = RecentCalls::Hash(text, idAt);
    uint32_t number = recentCalls_.find(text, idAt, hash, sessionSlot);
    if (number != RecentCalls::kNone) return number;
  }
  char* room = callFingerprint_.data();
  uint32_t number = callClasses_.numberOf(std::string_view(room, CallFingerprint(text, room)));
  *sessionSlot = SessionTable::SlotOfCall(text, *nameSize);
  if (cached) recentCalls_.keep(text, idAt, hash, number, *sessionSlot);
  return number;
}

void Analytics::addCall(const CallFacts& call) {
  size_t nameSize = 0;
  uint32_t sessionSlot = kSessionSlotNone;
  ClassTable::Class* callClass =
      call.fingerprint.empty()
          ? callClasses_.at(callClassOf(call.apiLineText, &nameSize, &sessionSlot))
          : callClasses_.classOf(call.fingerprint);
  if (callClass->group == nullptr) setApi(call, nameSize, callClass);
  ClassTable::Add(callClass,
                  ClassMember{call.durationMs, 0, call.apiLineText, call.threadId, call.timeStamp},
                  true);
  size_t threadsBefore = threads_.size();
  uint32_t thread = threads_.add(call.threadId, call.durationMs, call.timeStamp);
  if (thread == threadsBefore) sessions_.numberThread(call.threadId, thread);
  if (call.fingerprint.empty()) {
    sessions_.addInSlot(call.apiLineText, nameSize, call.openedSession, sessionSlot, thread,
                        call.durationMs);
  } else {
    sessions_.add(call.sessionText, call.openedSession, thread, call.durationMs);
  }
  int64_t seconds, startMs;
  if (clock_.millisOf(call.timeStamp, &seconds, &startMs)) {
    timeline_.add(seconds, call.durationMs, thread);
    span_.add(startMs, call.durationMs);
  } else {
    span_.addUndated();
  }
}

void Analytics::addQuery(const QueryFacts& query) {
  uint64_t hash = HashText(query.text);
  // A long text comes in part, with its class read from the whole.
  uint32_t number = query.fingerprint.empty() ? recentQueries_.find(query.text, hash, query.gluedAt)
                                              : queryClasses_.numberOf(query.fingerprint);
  if (number == RecentTexts::kNone) {
    QueryFingerprint(query.text, query.gluedAt, &fingerprint_);
    number = queryClasses_.numberOf(fingerprint_);
    recentQueries_.keep(query.text, hash, query.gluedAt, number);
  }
  ClassMember member{WholeMillis(query.durationMs), query.rowCount, query.text, query.threadId,
                     query.startStamp};
  ClassTable::Add(queryClasses_.at(number), member, true);
}

void Analytics::onQueryRecord(QueryRecord* record) {
  addQuery(QueryFacts{record->text(), record->gluedAt, record->fingerprint, record->durationMs,
                      record->rowCount, record->threadId, record->startStamp});
}

void Analytics::moveInto(Profile* profile, bool keepMergeable) {
  callClasses_.addDurationsToGroups();
  // No class is looked up from here on: what finds them is freed before the
  // rows are made beside the classes.
  for (ClassTable* table : {&apis_, &queryClasses_, &callClasses_}) table->stopLookups();
  auto exact = std::make_shared<MergeableProfile>();
  std::vector<ThreadRow> threads = threads_.takeRows();
  exact->bucketSeconds = timeline_.bucketSeconds();
  exact->fixedWidth = timeline_.fixedWidth();
  exact->span = span_;
  exact->startStamp = profile->startTimestamp;
  exact->endStamp = profile->endTimestamp;
  exact->dmclMs = profile->totalCallMillis;
  sessions_.moveInto(&exact->sessions);
  if (keepMergeable) {
    exact->timeline = timeline_.takeBuckets();
    apis_.moveInto(&exact->apis);
    queryClasses_.moveInto(&exact->queryClasses);
    callClasses_.moveInto(&exact->callClasses);
    exact->threads = MergeableThreads(std::move(threads));
    profile->analytics = exact->analytics();
    profile->mergeable = std::move(exact);
  } else {
    // The exact profile holds no classes then: the figures of the classes
    // and the rows come from the tables, each released as its rows are
    // made, and one trace's thread rows are the report's as they are.
    DurationHistogram calls = apis_.mergedDurations();
    int64_t queries = queryClasses_.count();
    profile->analytics = exact->takeAnalytics();
    ProfileAnalytics& analytics = profile->analytics;
    analytics.timeline = timeline_.takeFigures();
    analytics.latency = Latency(calls);
    analytics.calls = calls.count();
    analytics.queries = queries;
    analytics.apis = apis_.takeRows();
    analytics.queryClasses = queryClasses_.takeRows();
    analytics.callClasses = callClasses_.takeRows();
    analytics.threads = std::move(threads);
    RankThreads(&analytics.threads);
  }
  profile->hasAnalytics = true;
  *this = Analytics(0);
}

}  // namespace quintrel
