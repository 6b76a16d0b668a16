#include "analysis/profile_builder.h"

#include <utility>
#include <vector>

#include "analysis/mergeable_profile.h"
#include "analysis/top_list.h"

namespace quintrel {

namespace {
const size_t kTopQueryCount = 20;
}  // namespace

ProfileBuilder::ProfileBuilder(const AnalysisConfig& config)
    : filter_(config),
      topCalls_(config.topCalls),
      statistics_(config.topCalls),
      analytics_(config.analytics ? std::make_unique<AnalyticsWorker>(config.bucketSeconds)
                                  : nullptr),
      queries_(analytics_ != nullptr ? static_cast<QueryRecordSink*>(analytics_.get())
                                     : &queryLog_) {}

void ProfileBuilder::onCall(TraceCall* call) {
  if (!filter_.accepts(*call)) return;
  // Statistics first: they take the API name and call text of the API line
  // alone, before the query tracking appends the continuation lines.
  if (analytics_ != nullptr) {
    analytics_->addCall(
        CallFacts{call->apiLineText(), call->getThreadId(), call->timeStamp, call->durationMs});
  }
  bool tracked = QueryTracker::MayTrack(call->apiLineText());
  statistics_.add(call, !tracked);
  if (tracked) queries_.track(call);
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
    analytics_->moveInto(&profile);
    profile.mergeable->topCallsKept = topCalls_;
  }
  return profile;
}

}  // namespace quintrel
