// TraceProfiler: the driver of one run. It opens the output and the trace,
// lists the trace's threads when asked, feeds every line of the trace to a
// TraceLineProcessor whose calls go to a TraceSummary, and has the summary
// write its report.
//
// It owns the trace reader while a scan runs and the output stream it opens
// on a created file; it does not own the ParameterMap or standard output.
#ifndef QUINTREL_APP_TRACE_PROFILER_H_
#define QUINTREL_APP_TRACE_PROFILER_H_

#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "app/fd_output_stream.h"
#include "app/line_reader.h"
#include "app/parameter_map.h"

namespace quintrel {

class TraceProfiler {
 public:
  // `parameters` must outlive the profiler.
  explicit TraceProfiler(const ParameterMap* parameters);
  virtual ~TraceProfiler();
  TraceProfiler(const TraceProfiler&) = delete;
  TraceProfiler& operator=(const TraceProfiler&) = delete;

  // Remembers the trace file name and chooses the output: standard output
  // when `outputFile` is empty or "CONSOLE", otherwise the file already
  // created as `outputFd`, which the profiler takes over.
  bool open(const std::string& traceFile, const std::string& outputFile, int outputFd);
  // Opens the trace file anew for one scan; reports and returns false when
  // it cannot be opened.
  bool openTraceFile();
  bool closeTraceFile();

  // Prints the thread ids of the trace, one per line, in byte-wise order.
  bool listThreads();
  std::set<std::string> collectThreadIds();
  // Stores the thread id of a line that begins with a thread marker in `id`
  // and returns true; returns false, leaving `id` unchanged, otherwise.
  static bool extractThreadId(std::string_view line, std::string* id);

  // Analyses the trace for `thread` ("*": all threads) and writes the
  // detail listing or, in summary mode, the report chosen by
  // "summaryformat".
  bool analyse(const std::string& thread, bool rpcOnly, const std::string& detailFormat,
               bool summary);

  // Writes out and closes the output. Returns false when anything failed
  // during the run: the trace could not be opened or read, or the output
  // could not be written (each already reported on standard error).
  bool finish();

 private:
  std::unique_ptr<LineReader> traceInput_;
  // Over the created output file, or over standard output (not closed).
  std::unique_ptr<FdOutputStream> output_;
  std::string traceFileName_;
  const ParameterMap* parameters_;
  bool toConsole_ = true;
  bool failed_ = false;
};

// Runs the analysis that `parameters` describe, writing to `outputFd` (-1
// for the console). Returns false when the run could not read its trace or
// write its output.
bool Run(const ParameterMap& parameters, int outputFd);

}  // namespace quintrel

#endif  // QUINTREL_APP_TRACE_PROFILER_H_
