// TraceSummary: the receiver of every completed call of one analysis.
//
// It applies the run's filters, then either aggregates the call (summary
// mode: call statistics and query tracking) or writes its detail record
// (listing mode). After the last call, takeProfile() turns what it gathered
// into the read-only Profile the reports are written from. It copies what it
// keeps out of each call; it does not own the listing stream.
#ifndef QUINTREL_ANALYSIS_TRACE_SUMMARY_H_
#define QUINTREL_ANALYSIS_TRACE_SUMMARY_H_

#include <memory>
#include <ostream>

#include "analysis/analysis_config.h"
#include "analysis/analytics_worker.h"
#include "analysis/call_filter.h"
#include "analysis/call_statistics.h"
#include "analysis/detail_writer.h"
#include "analysis/profile.h"
#include "analysis/query_log.h"
#include "analysis/query_tracker.h"
#include "parse/trace_call_sink.h"

namespace quintrel {

class TraceSummary : public TraceCallSink {
 public:
  // `listing` receives the detail records in listing mode; not owned, it must
  // outlive the summary. It may be null in summary mode.
  TraceSummary(const AnalysisConfig& config, std::ostream* listing);
  TraceSummary(const TraceSummary&) = delete;
  TraceSummary& operator=(const TraceSummary&) = delete;

  // Filters the call, then aggregates it or writes its detail record. May
  // extend the call's apiText.
  void onCall(TraceCall* call) override;

  // Summary mode: the profile of every call taken so far. Call once, after
  // the last call; it leaves the summary empty.
  Profile takeProfile();

  // Used by tests.
  const CallStatistics& statistics() const { return statistics_; }
  const QueryTracker& queries() const { return queries_; }
  const QueryLog& completedQueries() const { return queryLog_; }

 private:
  CallFilter filter_;
  bool summaryMode_;
  CallStatistics statistics_;
  std::unique_ptr<AnalyticsWorker> analytics_;  // only when the configuration asks for it
  QueryLog queryLog_;
  QueryTracker queries_;
  DetailWriter detail_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TRACE_SUMMARY_H_
