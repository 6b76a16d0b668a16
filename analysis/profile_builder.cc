#include "analysis/profile_builder.h"

#include <utility>
#include <vector>

#include "analysis/mergeable_profile.h"
#include "analysis/top_list.h"

namespace quintrel {

namespace {
const size_t kTopQueryCount = 20;

// Where the query records go: to the analytics, which anonymize the
// examples they keep afterwards, or to the log, anonymized as they arrive
// when the run asks for it.
QueryRecordSink* QueriesTo(AnalyticsWorker* analytics, QueryRecordSink* anonymous, QueryLog* log,
                           const AnalysisConfig& config) {
  if (analytics != nullptr) return analytics;
  return config.anonymize ? anonymous : log;
}

}  // namespace

ProfileBuilder::ProfileBuilder(const AnalysisConfig& config)
    : anonymize_(config.anonymize),
      filter_(config),
      topCalls_(config.topCalls),
      mergeableTopCalls_(config.mergeableTopCalls),
      statistics_(config.topCalls, !config.analytics),
      analytics_(config.analytics ? std::make_unique<AnalyticsWorker>(config.bucketSeconds)
                                  : nullptr),
      queries_(QueriesTo(analytics_.get(), &anonymousQueries_, &queryLog_, config),
               analytics_ == nullptr ? &queryLog_ : nullptr) {
  if (analytics_ != nullptr) queries_.keepLongTextsInPart();
}

void ProfileBuilder::onCall(TraceCall* call) {
  bool taken = filter_.accepts(*call);
  // A connect call left out still names its session's user and repository
  // for the calls taken later.
  if (analytics_ != nullptr) {
    std::string_view opened = SessionOpenedBy(*call);
    if (taken || !opened.empty()) {
      analytics_->addCall(CallFacts{call->apiLineText(),
                                    call->getThreadId(),
                                    call->timeStamp,
                                    call->durationMs,
                                    opened,
                                    {},
                                    {},
                                    {},
                                    !taken});
    }
  }
  if (!taken) return;
  bool tracked = QueryTracker::MayTrack(call->apiLineText());
  if (analytics_ == nullptr) {
    // Statistics first: the record of a long query takes the call's text.
    statistics_.add(call, !tracked);
    if (tracked) queries_.track(call);
    return;
  }
  // The analytics read a long query in part: the tracker only reads the
  // call's text, and the statistics may then take it over.
  if (tracked) queries_.track(call);
  statistics_.add(call, true);
}

Profile ProfileBuilder::takeProfile() {
  Profile profile;
  statistics_.moveInto(&profile);
  queries_.finish();
  profile.queries = std::move(queryLog_);
  struct Ranked {
    double durationMs;
    size_t index;
  };
  TopList<Ranked> top(kTopQueryCount);
  for (size_t i = 0; i < profile.queries.size(); ++i) {
    top.add(Ranked{profile.queries.at(i).durationMs, i});
  }
  for (const Ranked& entry : top.take()) profile.topQueries.push_back(entry.index);
  profile.timeSplit = ElapsedMillis(profile.startTimestamp, profile.endTimestamp);
  if (analytics_ != nullptr) {
    // Only a report made from the exact profile needs it kept.
    analytics_->moveInto(&profile, mergeableTopCalls_);
    if (mergeableTopCalls_) {
      profile.mergeable->topCallsKept = topCalls_;
      // Moved, not copied, before they are anonymized: a merge or a saved
      // profile keeps the texts as the trace wrote them.
      profile.mergeable->topCalls.swap(profile.topCalls);
    }
  }
  if (anonymize_) anonymizer_.anonymize(&profile);
  return profile;
}

}  // namespace quintrel
