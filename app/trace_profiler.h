// TraceProfiler: the driver of one run. It opens the output and the trace,
// lists the trace's threads when asked, feeds every line of the trace to a
// TraceAnalysis and has the summary's report written.
//
// It owns the trace reader while a scan runs and the output stream; it does
// not own the RunConfig or standard output.
#ifndef QUINTREL_APP_TRACE_PROFILER_H_
#define QUINTREL_APP_TRACE_PROFILER_H_

#include <memory>
#include <set>
#include <string>

#include "analysis/analysis_config.h"
#include "app/fd_output_stream.h"
#include "app/line_reader.h"
#include "app/run_config.h"

namespace quintrel {

class TraceProfiler {
 public:
  // `config` must outlive the profiler.
  explicit TraceProfiler(const RunConfig* config);
  virtual ~TraceProfiler();
  TraceProfiler(const TraceProfiler&) = delete;
  TraceProfiler& operator=(const TraceProfiler&) = delete;

  // Chooses the output: standard output for the console, otherwise the file
  // already created as `outputFd`, which the profiler takes over.
  bool open(int outputFd);
  // Opens the trace file anew for one scan; reports and returns false when
  // it cannot be opened.
  bool openTraceFile();
  bool closeTraceFile();

  // Prints the thread ids of the trace, one per line, in byte-wise order.
  bool listThreads();
  std::set<std::string, std::less<>> collectThreadIds();

  // Analyses the trace for `threads` and writes the detail listing or, in
  // summary mode, the report.
  bool analyse(const ThreadSelection& threads);

  // Writes out and closes the output. Returns false when anything failed
  // during the run: the trace could not be opened or read, or the output
  // could not be written (each already reported on standard error).
  bool finish();

 private:
  const RunConfig* config_;
  std::unique_ptr<LineReader> traceInput_;
  // Over the created output file, or over standard output (not closed).
  std::unique_ptr<FdOutputStream> output_;
  bool failed_ = false;
};

// Runs the analysis that `config` describes, writing to `outputFd` (-1 for
// the console). Returns false when the run could not read its trace or write
// its output.
bool Run(const RunConfig& config, int outputFd);

}  // namespace quintrel

#endif  // QUINTREL_APP_TRACE_PROFILER_H_
