#include "analysis/trace_analysis.h"

namespace quintrel {

namespace {

// A RAW listing writes every recorded line and nothing else; a summary reads
// the API texts, the result texts and the continuation lines of the calls
// query tracking looks at; a CSV listing reads the API texts.
RecordingPolicy PolicyFor(const AnalysisConfig& config) {
  RecordingPolicy policy;
  bool summary = config.output == OutputKind::kSummary;
  policy.rawLines = !summary && config.listing == ListingFormat::kRaw;
  policy.apiText = !policy.rawLines;
  policy.resultText = summary;
  if (summary) policy.collectsContinuation = &QueryTracker::MayTrack;
  return policy;
}

}  // namespace

TraceAnalysis::TraceAnalysis(const AnalysisConfig& config, std::ostream* listing)
    : summary_(config, listing) {
  processor_.setRecordingPolicy(PolicyFor(config));
  processor_.setSink(&summary_);
}

Profile TraceAnalysis::finish() {
  processor_.finish();
  Profile profile = summary_.takeProfile();
  profile.lines = lines_;
  return profile;
}

}  // namespace quintrel
