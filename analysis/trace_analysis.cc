#include "analysis/trace_analysis.h"

namespace quintrel {

namespace {

// A RAW listing writes every recorded line; a summary reads only the lines
// that continue an API text; a CSV listing reads none.
RawLinePolicy PolicyFor(const AnalysisConfig& config) {
  if (config.output == OutputKind::kSummary) return RawLinePolicy::kApiContinuations;
  return config.listing == ListingFormat::kRaw ? RawLinePolicy::kAll : RawLinePolicy::kNone;
}

}  // namespace

TraceAnalysis::TraceAnalysis(const AnalysisConfig& config, std::ostream* listing)
    : summary_(config, listing) {
  processor_.setRawLinePolicy(PolicyFor(config));
  processor_.setSink(&summary_);
}

Profile TraceAnalysis::finish() {
  processor_.finish();
  return summary_.takeProfile();
}

}  // namespace quintrel
