// TraceAnalysis: the one entry point of an analysis: trace lines in, the
// detail listing or the summary's Profile out. It wires the line processor
// to the summary the way the configuration asks, so that every caller (the
// program, the fuzz targets, the benchmarks, the tests) analyses alike.
//
// It owns its processor and summary; it does not own the listing stream.
#ifndef QUINTREL_ANALYSIS_TRACE_ANALYSIS_H_
#define QUINTREL_ANALYSIS_TRACE_ANALYSIS_H_

#include <ostream>
#include <string_view>

#include "analysis/analysis_config.h"
#include "analysis/profile.h"
#include "analysis/trace_summary.h"
#include "parse/trace_line_processor.h"

namespace quintrel {

class TraceAnalysis {
 public:
  // `listing` receives the detail records in listing mode; not owned, it must
  // outlive the analysis. It may be null in summary mode.
  TraceAnalysis(const AnalysisConfig& config, std::ostream* listing);
  TraceAnalysis(const TraceAnalysis&) = delete;
  TraceAnalysis& operator=(const TraceAnalysis&) = delete;

  // Takes the next line of the trace, without its line terminator. The view
  // need not outlive the call.
  void processLine(std::string_view line) {
    ++lines_;
    processor_.processLine(line);
  }
  // Takes the next line, classified already (see
  // TraceLineProcessor::processClassifiedLine).
  void processClassifiedLine(std::string_view line, const TraceLine& parsed) {
    ++lines_;
    processor_.processClassifiedLine(line, parsed);
  }
  // Takes the next piece of a line too long to be held whole.
  void processPiece(const LinePiece& piece) {
    lines_ += piece.last;
    processor_.processPiece(piece);
  }
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

 private:
  TraceSummary summary_;
  TraceLineProcessor processor_;
  uint64_t lines_ = 0;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TRACE_ANALYSIS_H_
