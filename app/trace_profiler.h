// TraceProfiler: the driver of one run. It lists the trace's threads when
// asked, feeds every line of the trace to a TraceAnalysis, has the summary's
// report written, and gives the output file its name when all went well.
//
// It owns the trace reader while a scan runs and the output stream; it does
// not own the RunConfig, the output file or standard output.
#ifndef QUINTREL_APP_TRACE_PROFILER_H_
#define QUINTREL_APP_TRACE_PROFILER_H_

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "analysis/analysis_config.h"
#include "analysis/trace_analysis.h"
#include "app/fd_output_stream.h"
#include "app/line_reader.h"
#include "app/line_scanner.h"
#include "app/output_file.h"
#include "app/run_config.h"

namespace quintrel {

// How a run ends: its exit code.
enum ExitCode { kExitDone = 0, kExitUsage = 1, kExitOutputExists = 2, kExitFailed = 3 };

class TraceProfiler {
 public:
  // `config` and `outputFile` (null for the console) must outlive the
  // profiler.
  TraceProfiler(const RunConfig* config, OutputFile* outputFile);
  virtual ~TraceProfiler() = default;
  TraceProfiler(const TraceProfiler&) = delete;
  TraceProfiler& operator=(const TraceProfiler&) = delete;

  // Prints the thread ids of the trace, one per line, in byte-wise order.
  // Returns false when the trace could not be opened (already reported).
  bool listThreads();
  // The thread ids of the trace; `opened` tells whether it could be opened.
  std::set<std::string, std::less<>> collectThreadIds(bool* opened);

  // Analyses the trace for `threads` and writes the detail listing or, in
  // summary mode, the report. Returns false when the trace could not be
  // opened (already reported); nothing is written then.
  bool analyse(const ThreadSelection& threads);

  // Writes out the output and gives the output file its name unless the
  // output is incomplete: writing failed, or the report could not be made.
  // Returns the run's exit code.
  ExitCode finish();

 private:
  bool openTraceFile();
  void closeTraceFile();
  void readTrace(TraceAnalysis* analysis);
  void reportFailure(const std::string& what, uint64_t line);
  void writeReport(const Profile& profile);

  const RunConfig* config_;
  OutputFile* outputFile_;
  std::unique_ptr<LineReader> traceInput_;  // while the threads are listed
  std::unique_ptr<LineScanner> scanner_;    // while the trace is analysed
  std::unique_ptr<FdOutputStream> output_;
  uint64_t traceSize_ = 0;         // the bytes to read from a regular trace file, for progress
  uint64_t traceBytes_ = 0;        // the bytes read from it
  bool failed_ = false;            // reading the trace failed in some way
  bool reportIncomplete_ = false;  // the report could not be made whole
};

// Runs the analysis that `config` describes, writing to `outputFile` (null
// for the console). Returns the exit code.
ExitCode Run(const RunConfig& config, OutputFile* outputFile);

}  // namespace quintrel

#endif  // QUINTREL_APP_TRACE_PROFILER_H_
