// Profile: the read-only result of a summary analysis, everything a report
// reads. The analysis builds it once, after the last call; the report
// writers only read it. It owns all its texts.
#ifndef QUINTREL_ANALYSIS_PROFILE_H_
#define QUINTREL_ANALYSIS_PROFILE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/api_table.h"
#include "analysis/profile_analytics.h"
#include "analysis/profile_comparison.h"
#include "analysis/query_log.h"
#include "analysis/time_split.h"
#include "parse/text_buffer.h"

namespace quintrel {

class MergeableProfile;

// One of the most expensive calls.
struct TopCallEntry {
  TextBuffer callText;
  double durationMs = 0.0;
  std::string threadId = "";
  std::string timeStamp = "";
  // The bytes of the call's text past callText, where only its beginning
  // was kept (AnalysisConfig::apiLineKept); 0 otherwise.
  size_t droppedBytes = 0;
};

struct Profile {
  // One row per API name, ascending by total duration; rows of equal totals
  // in ascending name order. Reports walk it from the back. Empty where the
  // analytics are gathered: their reports have rows of their own.
  ApiTable apiSummary;
  // The longest calls (AnalysisConfig::topCalls of them), ascending by
  // duration; among equal durations the earlier call first. Reports walk it
  // from the back.
  std::vector<TopCallEntry> topCalls;
  // Every query in report order: completed ones in order of completion, then
  // those still open at the end of the trace in the order of their keys.
  QueryLog queries;
  // The indexes in `queries` of the twenty longest, kept like topCalls.
  std::vector<size_t> topQueries;

  // The time stamps of the first and the last accepted call ("" without one).
  std::string startTimestamp;
  std::string endTimestamp;
  // The time split: the wall-clock time between the two stamps and the time
  // spent inside DMCL calls, both in milliseconds.
  TimeSplit timeSplit;
  int64_t totalCallMillis = 0;

  // The lines of the trace.
  uint64_t lines = 0;
  // Where the time went, for the reports that show it; only with analytics.
  bool hasAnalytics = false;
  ProfileAnalytics analytics;
  // With the analytics: what they were made from, to be saved or merged.
  // Its longest calls are those of topCalls, moved there where the analysis
  // was asked for them (AnalysisConfig::mergeableTopCalls), else none.
  std::shared_ptr<MergeableProfile> mergeable;
  // With --compare: how the analytics moved against the base.
  std::shared_ptr<const ProfileComparison> comparison;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_PROFILE_H_
