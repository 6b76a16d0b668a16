#include "app/trace_profiler.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

#include "app/progress_meter.h"
#include "app/report_error.h"
#include "app/thread_choice.h"
#include "app/trace_file.h"
#include "parse/text_buffer.h"
#include "parse/trace_grammar.h"
#include "report/report_writer.h"

namespace quintrel {

namespace {

// The reader's block, the longest piece of a line it hands out.
const size_t kReadBlock = size_t{512} << 10;

const char kPrompt[] = "Please choose a thread from the list above (or '*' for all threads): \n";

// Whether `text`, the beginning of a line, may still become a thread marker:
// "# [ " followed by digits up to its end.
bool MayBecomeThreadMarker(std::string_view text) {
  if (!StartsWithThreadMarker(text)) return kThreadMarker.substr(0, text.size()) == text;
  return text.find_first_not_of("0123456789", kThreadMarker.size()) == std::string_view::npos;
}

}  // namespace

TraceProfiler::TraceProfiler(const RunConfig* config, OutputFile* outputFile)
    : config_(config), outputFile_(outputFile) {
  int fd = outputFile == nullptr ? STDOUT_FILENO : outputFile->fd();
  output_ =
      std::make_unique<FdOutputStream>(fd, config->toConsole ? "CONSOLE" : config->outputFile);
}

bool TraceProfiler::openTraceFile() {
  std::string error;
  std::unique_ptr<ByteSource> source =
      OpenTraceFile(config_->traceFile, config_->cp1252, &traceSize_, &error);
  if (source == nullptr) {
    ReportError("cannot open trace file", config_->traceFile, error);
    return false;
  }
  traceInput_ = std::make_unique<LineReader>(std::move(source), kReadBlock);
  return true;
}

void TraceProfiler::closeTraceFile() {
  if (scanner_ != nullptr) traceBytes_ = scanner_->bytesConsumed();
  bool readFailed = scanner_ != nullptr ? scanner_->readFailed()
                                        : traceInput_ != nullptr && traceInput_->readFailed();
  if (readFailed) {
    std::string error = scanner_ != nullptr ? scanner_->error() : traceInput_->error();
    ReportError("cannot read trace file", config_->traceFile, error);
    failed_ = true;
  }
  scanner_.reset();
  traceInput_.reset();
}

bool TraceProfiler::listThreads() {
  bool opened = false;
  for (const std::string& id : collectThreadIds(&opened)) std::cout << id << std::endl;
  return opened;
}

std::set<std::string, std::less<>> TraceProfiler::collectThreadIds(bool* opened) {
  std::set<std::string, std::less<>> ids;
  *opened = openTraceFile();
  if (!*opened) return ids;
  LinePiece piece;
  TextBuffer beginning;  // of a line that may still become a thread marker
  bool gathering = false, decided = false;
  std::string_view id;
  while (traceInput_->next(&piece)) {
    if (piece.first) gathering = decided = false;
    if (decided) continue;
    std::string_view text = piece.text;
    if (gathering) {
      beginning.append(piece.text);
      text = beginning.view();
    }
    if (!piece.last && MayBecomeThreadMarker(text)) {
      if (!gathering) beginning.assign(text);
      gathering = true;
      continue;
    }
    decided = true;
    if (ExtractThreadId(text, &id) && ids.count(id) == 0) ids.emplace(id);
  }
  closeTraceFile();
  return ids;
}

bool TraceProfiler::analyse(const ThreadSelection& threads) {
  if (!openTraceFile()) return false;
  scanner_ = std::make_unique<LineScanner>(std::move(traceInput_));
  AnalysisConfig analysisConfig = config_->analysis;
  analysisConfig.threads = threads;
  TraceAnalysis analysis(analysisConfig, output_.get());
  readTrace(&analysis);
  closeTraceFile();
  if (traceBytes_ > 0 && analysis.headerLines() == 0) {
    std::fprintf(stderr, "quintrel: warning: %s holds no trace lines\n",
                 config_->traceFile.c_str());
  }
  try {
    Profile profile = analysis.finish();
    if (analysisConfig.output == OutputKind::kSummary) writeReport(profile);
  } catch (const std::bad_alloc&) {
    reportFailure("out of memory while making the report", 0);
    reportIncomplete_ = true;
  } catch (const std::exception& error) {
    reportFailure(std::string(error.what()) + " while making the report", 0);
    reportIncomplete_ = true;
  }
  return true;
}

void TraceProfiler::readTrace(TraceAnalysis* analysis) {
  ProgressMeter meter(ProgressMeter::Wanted(config_->toConsole, traceSize_), traceSize_);
  uint64_t lines = 0;
  try {
    LinePiece piece;
    TraceLine parsed;
    while (scanner_->next(&piece, &parsed)) {
      if (piece.first && piece.last) {
        analysis->processClassifiedLine(piece.text, parsed);
      } else {
        analysis->processPiece(piece);
      }
      if (!piece.last || (++lines & 0x3FFF) != 0) continue;
      meter.update(scanner_->bytesConsumed());
      if (output_->failed()) return;  // nothing more can be written
    }
  } catch (const std::bad_alloc&) {
    reportFailure("out of memory", lines + 1);
    analysis->abandonLine();
  } catch (const std::exception& error) {
    reportFailure(error.what(), lines + 1);
    analysis->abandonLine();
  }
}

void TraceProfiler::reportFailure(const std::string& what, uint64_t line) {
  std::string where = line == 0 ? " of " : " at line " + std::to_string(line) + " of ";
  std::fflush(stdout);
  std::fprintf(stderr, "quintrel: %s%s%s\n", what.c_str(), where.c_str(),
               config_->traceFile.c_str());
  failed_ = true;
}

void TraceProfiler::writeReport(const Profile& profile) {
  // The reports of the extensions, JSON among them, say so in their text.
  if (!ShowsAnalytics(config_->reportFormat)) {
    std::printf("%s", TimeSplitMessage(profile.timeSplit.error));
  }
  ReportContext context;
  context.traceName = config_->traceFile;
  context.traceBytes = traceBytes_;
  context.options = config_->options;
  context.filters = config_->filters;
  context.top = config_->top;
  winsize terminal;
  if (config_->toConsole && ioctl(STDOUT_FILENO, TIOCGWINSZ, &terminal) == 0 && terminal.ws_col) {
    context.width = terminal.ws_col;
  }
  WriteReport(config_->reportFormat, profile, context, *output_);
}

ExitCode TraceProfiler::finish() {
  // An output that is cut short keeps no name.
  if (!output_->finish() || reportIncomplete_) return kExitFailed;
  if (outputFile_ != nullptr) {
    switch (outputFile_->link()) {
      case OutputFile::LinkResult::kLinked:
        break;
      case OutputFile::LinkResult::kNameTaken:
        ReportOutputExists(outputFile_->name());
        return kExitOutputExists;
      case OutputFile::LinkResult::kFailed:
        ReportError("cannot write output file", outputFile_->name(), std::strerror(errno));
        return kExitFailed;
    }
  }
  return failed_ ? kExitFailed : kExitDone;
}

ExitCode Run(const RunConfig& config, OutputFile* outputFile) {
  TraceProfiler profiler(&config, outputFile);
  ThreadSelection threads = config.analysis.threads;
  if (config.listThreads) {
    if (!profiler.listThreads()) return kExitFailed;
    std::cout << kPrompt << std::flush;
    std::string choice;
    if (!ReadThreadChoice(stdin, &choice)) {
      std::fprintf(stderr, "invalid thread choice\n");
      return kExitUsage;
    }
    threads = ThreadSelection::FromChoice(choice);
  }
  if (!profiler.analyse(threads)) return kExitFailed;
  return profiler.finish();
}

}  // namespace quintrel
