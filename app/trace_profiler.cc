#include "app/trace_profiler.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "analysis/trace_analysis.h"
#include "app/output_file.h"
#include "app/progress_meter.h"
#include "parse/trace_grammar.h"
#include "report/report_writer.h"

namespace quintrel {

namespace {

const char kPrompt[] = "Please choose a thread from the list above (or '*' for all threads): \n";

// Reads the answer at the thread prompt: one word, an empty one at the end of
// the input.
std::string ReadThreadChoice() {
  std::string choice;
  std::cin >> choice;
  return choice;
}

}  // namespace

TraceProfiler::TraceProfiler(const RunConfig* config) : config_(config) {}

TraceProfiler::~TraceProfiler() { finish(); }

bool TraceProfiler::open(int outputFd) {
  if (config_->toConsole) {
    output_ = std::make_unique<FdOutputStream>(STDOUT_FILENO, "CONSOLE", true);
  } else {
    output_ = std::make_unique<FdOutputStream>(outputFd, config_->outputFile, false);
  }
  return true;
}

bool TraceProfiler::openTraceFile() {
  traceInput_ = std::make_unique<LineReader>();
  if (traceInput_->open(config_->traceFile)) return true;
  ReportError("cannot open trace file", config_->traceFile);
  failed_ = true;
  return false;
}

bool TraceProfiler::closeTraceFile() {
  if (traceInput_ != nullptr && traceInput_->readFailed()) {
    ReportError("cannot read trace file", config_->traceFile);
    failed_ = true;
  }
  traceInput_.reset();
  return true;
}

bool TraceProfiler::listThreads() {
  for (const std::string& id : collectThreadIds()) std::cout << id << std::endl;
  return true;
}

std::set<std::string, std::less<>> TraceProfiler::collectThreadIds() {
  std::set<std::string, std::less<>> ids;
  if (openTraceFile()) {
    std::string_view line, id;
    while (traceInput_->next(&line)) {
      if (ExtractThreadId(line, &id) && ids.count(id) == 0) ids.emplace(id);
    }
  }
  closeTraceFile();
  return ids;
}

bool TraceProfiler::analyse(const ThreadSelection& threads) {
  AnalysisConfig analysisConfig = config_->analysis;
  analysisConfig.threads = threads;
  TraceAnalysis analysis(analysisConfig, output_.get());
  if (openTraceFile()) {
    uint64_t size = traceInput_->fileSize();
    ProgressMeter meter(ProgressMeter::Wanted(config_->toConsole, size), size);
    std::string_view line;
    uint64_t count = 0;
    while (traceInput_->next(&line)) {
      analysis.processLine(line);
      if ((++count & 0x3FFF) == 0) meter.update(traceInput_->bytesRead());
    }
  }
  closeTraceFile();
  Profile profile = analysis.finish();
  if (analysisConfig.output == OutputKind::kSummary) {
    std::printf("%s", TimeSplitMessage(profile.timeSplit.error));
    WriteReport(config_->reportFormat, profile, *output_);
  }
  return true;
}

bool TraceProfiler::finish() {
  if (output_ != nullptr && !output_->close()) failed_ = true;
  return !failed_;
}

bool Run(const RunConfig& config, int outputFd) {
  TraceProfiler profiler(&config);
  profiler.open(outputFd);
  ThreadSelection threads = config.analysis.threads;
  if (config.listThreads) {
    profiler.listThreads();
    std::cout << kPrompt << std::flush;
    threads = ThreadSelection::FromChoice(ReadThreadChoice());
  }
  profiler.analyse(threads);
  return profiler.finish();
}

}  // namespace quintrel
