#include "analysis/trace_analysis.h"

#include "analysis/query_text_compactor.h"

namespace quintrel {

namespace {

// A RAW listing writes every recorded line and nothing else; a summary reads
// the API texts, the result texts and the continuation lines of the calls
// query tracking looks at; a CSV listing reads the API texts.
RecordingPolicy PolicyFor(const AnalysisConfig& config) {
  RecordingPolicy policy;
  bool summary = config.output == OutputKind::kSummary;
  policy.rawLines = !summary && config.listing == ListingFormat::kRaw;
  // The text filters read a query's whole text, in every format; JSONL
  // writes it, and the session a connect call opened.
  bool textFilter = config.match.has_value() || config.exclude.has_value();
  bool jsonl = !summary && config.listing == ListingFormat::kJsonl;
  // The session filter reads the API line and a connect call's result.
  bool sessionFilter = config.users.has_value() || config.repositories.has_value();
  policy.apiText = !policy.rawLines || textFilter || sessionFilter;
  if (summary && !textFilter && !sessionFilter) policy.apiLineKept = config.apiLineKept;
  policy.resultText = summary || jsonl || sessionFilter;
  if (summary || jsonl || textFilter) policy.collectsContinuation = &QueryTracker::MayTrack;
  // The analytics read of a query its class and its beginning; anonymized,
  // its text goes through other hands.
  if (summary && config.analytics && !textFilter && !config.anonymize) {
    policy.compactApiText = &QueryTextCompactor::CompactApiText;
  }
  return policy;
}

}  // namespace

TraceAnalysis::TraceAnalysis(const AnalysisConfig& config, TraceCallSink* listing) {
  processor_.setRecordingPolicy(PolicyFor(config));
  if (config.output == OutputKind::kSummary) {
    builder_ = std::make_unique<ProfileBuilder>(config);
    processor_.setSink(builder_.get());
  } else {
    listingFilter_ = std::make_unique<ListingFilter>(config, listing);
    processor_.setSink(listingFilter_.get());
  }
}

void TraceAnalysis::takeLine(std::string_view line) {
  TraceLine parsed;
  classifier_.classify(line, &parsed);
  take(LinePiece{line, true, true}, parsed);
}

Profile TraceAnalysis::finish() {
  processor_.finish();
  Profile profile = builder_ != nullptr ? builder_->takeProfile() : Profile();
  // Counted as wc -l counts, plus a last line without a line feed.
  profile.lines = lastLineEmpty_ ? lines_ - 1 : lines_;
  return profile;
}

const CallFilter& TraceAnalysis::filter() const {
  return builder_ != nullptr ? builder_->filter() : listingFilter_->filter();
}

}  // namespace quintrel
