#include "app/trace_profiler.h"

#include <unistd.h>

#include <iostream>

#include "analysis/trace_summary.h"
#include "app/output_file.h"
#include "app/progress_meter.h"
#include "parse/trace_line_processor.h"
#include "parse/trace_patterns.h"

namespace quintrel {

namespace {

const char kPrompt[] = "Please choose a thread from the list above (or '*' for all threads): \n";

RawLinePolicy PolicyFor(bool summary, const std::string& detailFormat) {
  if (summary) return RawLinePolicy::kApiContinuations;
  return detailFormat == "RAW" ? RawLinePolicy::kAll : RawLinePolicy::kNone;
}

}  // namespace

TraceProfiler::TraceProfiler(const ParameterMap* parameters) : parameters_(parameters) {}

TraceProfiler::~TraceProfiler() { finish(); }

bool TraceProfiler::open(const std::string& traceFile, const std::string& outputFile,
                         int outputFd) {
  traceFileName_ = traceFile;
  toConsole_ = outputFile.empty() || outputFile == "CONSOLE";
  if (toConsole_) {
    output_ = std::make_unique<FdOutputStream>(STDOUT_FILENO, "CONSOLE", true);
  } else {
    output_ = std::make_unique<FdOutputStream>(outputFd, outputFile, false);
  }
  return true;
}

bool TraceProfiler::openTraceFile() {
  traceInput_ = std::make_unique<LineReader>();
  if (traceInput_->open(traceFileName_)) return true;
  ReportError("cannot open trace file", traceFileName_);
  failed_ = true;
  return false;
}

bool TraceProfiler::closeTraceFile() {
  if (traceInput_ != nullptr && traceInput_->readFailed()) {
    ReportError("cannot read trace file", traceFileName_);
    failed_ = true;
  }
  traceInput_.reset();
  return true;
}

bool TraceProfiler::listThreads() {
  for (const std::string& id : collectThreadIds()) std::cout << id << std::endl;
  return true;
}

std::set<std::string> TraceProfiler::collectThreadIds() {
  std::set<std::string> ids;
  if (openTraceFile()) {
    std::string_view line;
    std::string id;
    while (traceInput_->next(&line)) {
      if (extractThreadId(line, &id)) ids.insert(id);
    }
  }
  closeTraceFile();
  return ids;
}

bool TraceProfiler::extractThreadId(std::string_view line, std::string* id) {
  if (line.compare(0, 4, "# [ ") != 0) return false;  // spares the search
  boost::cmatch match;
  if (!SearchAtLineStart(line, ThreadPattern(), &match)) return false;
  id->assign(match[1].first, match[1].second);
  return true;
}

bool TraceProfiler::analyse(const std::string& thread, bool rpcOnly,
                            const std::string& detailFormat, bool summary) {
  TraceLineProcessor processor;
  processor.setRawLinePolicy(PolicyFor(summary, detailFormat));
  TraceSummary traceSummary(output_.get(), thread, rpcOnly, detailFormat, summary);
  processor.setSink(&traceSummary);

  if (openTraceFile()) {
    ProgressMeter meter(ProgressMeter::Wanted(toConsole_, traceInput_->fileSize()),
                        traceInput_->fileSize());
    std::string_view line;
    uint64_t count = 0;
    while (traceInput_->next(&line)) {
      processor.processLine(line);
      if ((++count & 0x3FFF) == 0) meter.update(traceInput_->bytesRead());
    }
  }
  closeTraceFile();
  processor.finish();

  if (parameters_->isSummary()) {
    std::string format = parameters_->get("summaryformat");
    if (format == "XML") {
      traceSummary.writeXmlReport();
    } else if (format == "HTML") {
      traceSummary.writeHtmlReport();
    } else {
      traceSummary.writeTextReport();
    }
  }
  return true;
}

bool TraceProfiler::finish() {
  if (output_ != nullptr && !output_->close()) failed_ = true;
  return !failed_;
}

bool Run(const ParameterMap& parameters, int outputFd) {
  TraceProfiler profiler(&parameters);
  profiler.open(parameters.get("tracefile"), parameters.get("outputfile"), outputFd);
  std::string thread = parameters.get("thread");
  if (ListThreadsRequested(parameters)) {
    profiler.listThreads();
    std::cout << kPrompt << std::flush;
    thread.clear();
    std::cin >> thread;
  }
  profiler.analyse(thread, RpcOnlyRequested(parameters), parameters.get("outputformat"),
                   parameters.isSummary());
  return profiler.finish();
}

}  // namespace quintrel
