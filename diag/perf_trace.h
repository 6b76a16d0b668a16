// PerfTrace: the process-wide performance trace, a file "perftrace.log" in
// the working directory to which code writes labels and the seconds a step
// took, with a stopwatch shared by all its users. No step of an analysis run
// uses it. The singleton lives until the process ends.
#ifndef QUINTREL_DIAG_PERF_TRACE_H_
#define QUINTREL_DIAG_PERF_TRACE_H_

#include <fstream>
#include <memory>
#include <string>

namespace quintrel {

class PerfTrace {
 public:
  // The one PerfTrace; the first call creates it and truncates the file.
  // Returns null when it cannot be allocated (the next call tries again).
  static PerfTrace* instance();

  ~PerfTrace() = default;
  PerfTrace(const PerfTrace&) = delete;
  PerfTrace& operator=(const PerfTrace&) = delete;

  // The shared stopwatch.
  static void start();
  static void stop();
  static double elapsedSeconds();

  // Writes elapsedSeconds() (six significant digits) or `text` to the file
  // and flushes it, so that nothing is lost however the process ends.
  void writeElapsed();
  void write(const std::string& text);

 private:
  PerfTrace();

  std::unique_ptr<std::ofstream> traceStream_;
};

}  // namespace quintrel

#endif  // QUINTREL_DIAG_PERF_TRACE_H_
