// TraceAnalysis: the one entry point of an analysis: trace lines in, the
// calls of the listing or the summary's Profile out. It wires the line
// processor to a ProfileBuilder (summary mode) or to the listing behind the
// run's filters (listing mode) the way the configuration asks, so that every
// caller (the program, the fuzz targets, the benchmarks, the tests) analyses
// alike.
//
// take() is the path every line of a run takes, as the line scanner hands
// it over. It owns its processor and builder; it does not own the listing.
#ifndef QUINTREL_ANALYSIS_TRACE_ANALYSIS_H_
#define QUINTREL_ANALYSIS_TRACE_ANALYSIS_H_

#include <memory>
#include <string_view>

#include "analysis/analysis_config.h"
#include "analysis/call_filter.h"
#include "analysis/listing_filter.h"
#include "analysis/profile.h"
#include "analysis/profile_builder.h"
#include "parse/trace_call_sink.h"
#include "parse/trace_line.h"
#include "parse/trace_line_processor.h"

namespace quintrel {

class TraceAnalysis {
 public:
  // `listing` receives each accepted call in listing mode, as it completes;
  // not owned, it must outlive the analysis. It may be null in summary mode.
  TraceAnalysis(const AnalysisConfig& config, TraceCallSink* listing);
  TraceAnalysis(const TraceAnalysis&) = delete;
  TraceAnalysis& operator=(const TraceAnalysis&) = delete;

  // Takes the next line or piece of a line, as the line scanner gives it: a
  // whole line (first and last) with its classification in `parsed`, whose
  // views point into the line; or a piece of a line too long to be held
  // whole, whose `parsed` is not read. The views need not outlive the call.
  void take(const LinePiece& piece, const TraceLine& parsed) {
    if (piece.first && piece.last) {
      ++lines_;
      lastLineEmpty_ = piece.text.empty();
      processor_.processClassifiedLine(piece.text, parsed);
    } else {
      lines_ += piece.last;
      lastLineEmpty_ = false;
      processor_.processPiece(piece);
    }
  }
  // Classifies a whole line, then takes it. Used by tests and benchmarks
  // that hold lines rather than a scanner.
  void takeLine(std::string_view line);
  // After a failure while a line was processed (memory ran out): gives up
  // that line and the calls not yet complete, so that finish() can still
  // report what was read.
  void abandonLine() { processor_.abandonLine(); }
  // End of input: delivers the last completed call and, in summary mode,
  // returns the profile of the whole trace (an empty one in listing mode).
  // Call once.
  Profile finish();
  // The lines of the trace that were header lines.
  uint64_t headerLines() const { return processor_.headerLines(); }
  // The run's filter, which counts the completed calls it was shown and
  // those it accepted.
  const CallFilter& filter() const;

 private:
  std::unique_ptr<ProfileBuilder> builder_;       // in summary mode
  std::unique_ptr<ListingFilter> listingFilter_;  // in listing mode
  TraceLineProcessor processor_;
  TraceLineClassifier classifier_;  // for takeLine
  // The pieces between line feeds, as the line reader hands them out: one
  // more than the line feeds, the last one empty when the input ends with a
  // line feed.
  uint64_t lines_ = 0;
  bool lastLineEmpty_ = false;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TRACE_ANALYSIS_H_
