// TraceProfiler: the driver of one run. It lists the trace's threads when
// asked, feeds every line of the trace to a TraceAnalysis, has the report or
// listing written, and gives the output file its name when all went well.
// It prints every failure it meets, through Messages.
//
// A run has three threads:
// - the line scanner's (input/line_scanner.h) reads, decompresses, splits
//   and classifies lines, in batches, for this one;
// - the calling thread, this driver's, runs the line processor's state
//   machine and the ProfileBuilder or the listing on them, then writes the
//   output;
// - the analytics worker's (analysis/analytics_worker.h), only for the
//   JSON, DIGEST and DASHBOARD reports, builds their analytics from the
//   calls this thread accepted, handed to it in batches.
// Both pipelines follow one discipline:
// - A batch belongs to one thread at a time. It changes hands only under
//   the pipeline's mutex, through a queue of full batches and a list of
//   free ones; a fixed number of batches bounds the memory in flight.
// - The producer marks the last batch. A failure of the line scanner's
//   thread (running out of memory) is kept as an exception_ptr and thrown
//   on the calling thread when it next asks (LineScanner::next); the
//   analytics worker stops at its first failure and hands over what it has,
//   marked partial (AnalyticsWorker::moveInto).
// - A helper thread that cannot be started leaves its work to the calling
//   thread: the run goes on with fewer threads, and says so.
// - Stopping early (a failed write, a closed pipe, a failure on either side)
//   is the destructor on the calling thread: it sets an atomic flag under
//   the mutex, the helper thread stops at its next line or call and drops
//   what it holds, and the destructor joins it. Only a read in progress is
//   waited for.
// Everything else a helper thread touches is its own; the comments on the
// fields say which thread owns them or what guards them.
//
// It owns the trace reader while the threads are listed, the scanner while
// the trace is analysed, and the output stream; it does not own the
// RunConfig, the TraceFile, the output file or standard output.
#ifndef QUINTREL_CLI_TRACE_PROFILER_H_
#define QUINTREL_CLI_TRACE_PROFILER_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysis_config.h"
#include "analysis/call_filter.h"
#include "analysis/mergeable_profile.h"
#include "analysis/trace_analysis.h"
#include "cli/merge_input.h"
#include "cli/out_of_memory_notice.h"
#include "cli/run_config.h"
#include "input/byte_source.h"
#include "input/line_scanner.h"
#include "input/trace_file.h"
#include "input/zstd_context.h"
#include "output/fd_output_stream.h"
#include "output/output_file.h"

namespace quintrel {

// How a run ends: its exit code.
enum ExitCode { kExitDone = 0, kExitUsage = 1, kExitOutputExists = 2, kExitFailed = 3 };

class TraceProfiler {
 public:
  // `config`, `trace` and `outputFile` (null for the console) must outlive
  // the profiler.
  TraceProfiler(const RunConfig* config, const TraceFile* trace, OutputFile* outputFile);
  TraceProfiler(const TraceProfiler&) = delete;
  TraceProfiler& operator=(const TraceProfiler&) = delete;

  // Prints the thread ids of the trace, one per line, in byte-wise order.
  // Returns false when the trace could not be opened (already reported).
  bool listThreads();

  // Analyses the trace for `threads` and writes the detail listing or, in
  // summary mode, the report; a saved profile in place of the trace is
  // read and reported by the analytics reports, refused by the others.
  // Returns false when the trace could not be opened (already reported);
  // nothing is written then.
  bool analyse(const ThreadSelection& threads);

  // Into `input`: the mergeable profile of the trace for `threads`, its
  // trace named, or the saved profile it holds, read in parts (reusing what
  // `input` holds); writes nothing. False after a failure, which it has
  // reported. May run on any thread, one profiler per thread.
  bool mergeable(const ThreadSelection& threads, MergeInput* input);
  // Shows no progress meter (for traces analysed side by side).
  void quiet() { quiet_ = true; }
  // Decompresses a zstd trace with `context`'s decoder, which the caller
  // owns and keeps for the profiler's life, lending it to no other meanwhile.
  void lendZstdContext(ZstdContext* context) { zstd_ = context; }

  // Writes the analytics report of `merged`, which it takes, with a
  // comparison against `base` when not null; `base` is left empty.
  void writeMergedReport(MergeableProfile merged, MergeableProfile* base);

  // Writes out the output and gives the output file its name unless the
  // output is incomplete: writing failed, or the report could not be made.
  // Returns the run's exit code.
  ExitCode finish();

 private:
  // The trace's bytes from its start, or null after reporting why not; sets
  // savedProfile_.
  std::unique_ptr<ByteSource> openTrace();
  // Analyses the trace `source` holds into `profile`; false when the profile
  // could not be made (reported).
  bool analyseTrace(std::unique_ptr<ByteSource> source, const ThreadSelection& threads,
                    Profile* profile);
  // Reads the saved profile `source` holds; false after reporting why not.
  bool readSavedProfile(ByteSource* source, MergeableProfile* profile);
  // Reads the document `source` holds into `text` (reused), then has `read`
  // read it; false after reporting why either failed.
  bool readSaved(ByteSource* source, std::string* text,
                 const std::function<bool(std::string_view, std::string*)>& read);
  // Warns that the run's call filters leave a saved profile as it is: it
  // holds the calls its own run kept.
  void warnFiltersPassSavedProfile() const;
  // Refuses a saved profile where the run's report cannot take one; true
  // after reporting the usage error.
  bool refuseSavedProfile();
  SourceTrace sourceTrace(const Profile& profile, const ThreadSelection& threads);
  // Runs `step`, reporting what it throws as a report that could not be
  // made; false then.
  bool guard(const std::function<void()>& step);
  ReportContext contextFor(std::vector<std::string> filters) const;
  void readTrace(TraceAnalysis* analysis, LineScanner* scanner);
  void reportReadFailure(const std::string& error);
  void reportFailure(const std::string& what, uint64_t line);
  // Reports a failed write once; true when writing failed.
  bool outputFailed();
  // Warns, when the run asks for it, that the filters took no call although
  // the trace has some.
  void warnIfFilteredEmpty(const CallFilter& filter);
  // Warns that a helper thread could not be started for `error` (none when
  // it is empty); the run goes on without it.
  void warnIfThreadless(const std::string& error);
  void writeReport(const Profile& profile, const ReportContext& context);
  // The context of the report of `merged`: its traces, their bytes and
  // filters.
  ReportContext mergedContext(const MergeableProfile& merged);
  FdOutputStream* output();
  // The columns the digest is written for: --width, else the terminal's
  // when the report goes to one, else COLUMNS, else the default.
  size_t reportWidth() const;

  const RunConfig* config_;
  const TraceFile* trace_;
  OutputFile* outputFile_;
  // Made on first use: a profiler that only reads a saved profile for a
  // merge spares its buffer.
  std::unique_ptr<FdOutputStream> output_;
  uint64_t traceBytes_ = 0;        // the bytes read from the trace file
  bool failed_ = false;            // reading the trace failed in some way
  bool reportIncomplete_ = false;  // the report could not be made whole
  bool outputFailureReported_ = false;
  OutOfMemoryNotice outOfMemory_;  // ready before the trace is read
  bool savedProfile_ = false;      // the trace is a saved profile
  bool usageError_ = false;        // the run asked for what cannot be done
  bool quiet_ = false;
  ZstdContext* zstd_ = nullptr;  // lent; null: each source makes its own
};

// Runs the analysis that `config` describes on `trace`, writing to
// `outputFile` (null for the console). Returns the exit code.
ExitCode Run(const RunConfig& config, const TraceFile& trace, OutputFile* outputFile);

}  // namespace quintrel

#endif  // QUINTREL_CLI_TRACE_PROFILER_H_
