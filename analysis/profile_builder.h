// ProfileBuilder: builds the Profile of one analysis from its completed
// calls.
//
// It applies the run's filters, then aggregates each call it accepts: call
// statistics, query tracking and, when asked, the analytics. After the last
// call, takeProfile() turns what it gathered into the read-only Profile the
// reports are written from. It copies what it keeps out of each call and
// owns everything it gathers, the analytics worker among it.
#ifndef QUINTREL_ANALYSIS_PROFILE_BUILDER_H_
#define QUINTREL_ANALYSIS_PROFILE_BUILDER_H_

#include <memory>
#include <string_view>

#include "analysis/analysis_config.h"
#include "analysis/analytics_worker.h"
#include "analysis/anonymizer.h"
#include "analysis/call_filter.h"
#include "analysis/call_statistics.h"
#include "analysis/profile.h"
#include "analysis/query_log.h"
#include "analysis/query_tracker.h"
#include "parse/trace_call_sink.h"

namespace quintrel {

class ProfileBuilder : public TraceCallSink {
 public:
  explicit ProfileBuilder(const AnalysisConfig& config);
  ProfileBuilder(const ProfileBuilder&) = delete;
  ProfileBuilder& operator=(const ProfileBuilder&) = delete;

  // Filters the call, then aggregates it. May extend the call's apiText.
  void onCall(TraceCall* call) override;
  void onTraceStart(std::string_view stamp) override { filter_.setTraceStart(stamp); }

  // The profile of every call taken so far. Call once, after the last call;
  // it leaves the builder empty.
  Profile takeProfile();

  const CallFilter& filter() const { return filter_; }
  // Used by tests.
  const CallStatistics& statistics() const { return statistics_; }
  const QueryTracker& queries() const { return queries_; }
  const QueryLog& completedQueries() const { return queryLog_; }

 private:
  bool anonymize_;
  Anonymizer anonymizer_;
  CallFilter filter_;
  size_t topCalls_;  // the longest calls kept
  bool mergeableTopCalls_;
  CallStatistics statistics_;
  std::unique_ptr<AnalyticsWorker> analytics_;  // only when the configuration asks for it
  QueryLog queryLog_;
  Anonymizer::QuerySink anonymousQueries_{&queryLog_};
  QueryTracker queries_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_PROFILE_BUILDER_H_
