#include "cli/trace_profiler.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "analysis/anonymizer.h"
#include "cli/merge_run.h"
#include "cli/messages.h"
#include "cli/output_target.h"
#include "cli/progress_meter.h"
#include "cli/thread_choice.h"
#include "input/line_reader.h"
#include "input/line_scanner.h"
#include "input/prefixed_source.h"
#include "output/system_streams.h"
#include "parse/thread_id_collector.h"
#include "report/detail_writer.h"
#include "report/report_writer.h"
#include "report/saved_profile_reader.h"

namespace quintrel {

namespace {

// The reader's block, the longest piece of a line it hands out.
const size_t kReadBlock = size_t{512} << 10;

// The bytes read to tell a saved profile from a trace, and the largest
// saved profile read.
const size_t kSniffBytes = 64;
const size_t kMaxSavedProfile = size_t{32} << 20;
// What a saved profile is read in at least.
const size_t kSavedProfileBlock = size_t{64} << 10;

const char kPrompt[] = "Please choose a thread from the list above (or '*' for all threads): \n";

// The run's filters as the reports name them, the thread chosen at the
// prompt beside -l.
std::vector<std::string> FiltersOf(const RunConfig& config, const ThreadSelection& threads) {
  std::vector<std::string> filters = config.filters;
  for (std::string& filter : filters) {
    if (filter != "-l") continue;
    bool one = !threads.all && !threads.ids.empty();
    filter += one ? " (thread " + *threads.ids.begin() + ")" : " (all threads)";
  }
  return filters;
}

// The names of the traces a profile covers, as a report names them.
std::string TraceNames(const MergeableProfile& profile) {
  std::string names;
  for (const SourceTrace& trace : profile.traces) {
    names += (names.empty() ? "" : ", ") + trace.name;
  }
  return names;
}

// Adds `filter` to `filters` unless they name it already.
void AddFilter(const std::string& filter, std::vector<std::string>* filters) {
  if (std::find(filters->begin(), filters->end(), filter) == filters->end()) {
    filters->push_back(filter);
  }
}

}  // namespace

TraceProfiler::TraceProfiler(const RunConfig* config, const TraceFile* trace,
                             OutputFile* outputFile)
    : config_(config), trace_(trace), outputFile_(outputFile) {}

FdOutputStream* TraceProfiler::output() {
  if (output_ == nullptr) {
    int fd = outputFile_ == nullptr ? SystemStreams::kOutput : outputFile_->fd();
    output_ = std::make_unique<FdOutputStream>(fd);
  }
  return output_.get();
}

std::unique_ptr<ByteSource> TraceProfiler::openTrace() {
  std::string error;
  std::unique_ptr<ByteSource> source = trace_->open(config_->cp1252, &error, nullptr, zstd_);
  if (source == nullptr) {
    ReportError("cannot open trace file", trace_->path(), error);
    return source;
  }
  // Enough of the start to tell a saved profile, rarely more than one read.
  std::string start;
  char buffer[kSniffBytes];
  while (start.size() < kSniffBytes) {
    long got = source->read(buffer, kSniffBytes - start.size());
    if (got <= 0) break;
    start.append(buffer, size_t(got));
    size_t first = start.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && start[first] != '{') break;
  }
  savedProfile_ = StartsLikeSavedProfile(start);
  return std::make_unique<PrefixedSource>(std::move(start), std::move(source));
}

void TraceProfiler::warnFiltersPassSavedProfile() const {
  std::string filters;
  for (const std::string& filter : config_->filters) {
    if (filter == "--anonymize") continue;  // hides texts in the report, which it can
    filters += (filters.empty() ? "" : ", ") + filter;
  }
  if (filters.empty()) return;
  ReportWarning("the filters " + filters + " do not apply to saved profile " + trace_->path() +
                ": it holds the calls its own run kept");
}

bool TraceProfiler::readSavedProfile(ByteSource* source, MergeableProfile* profile) {
  // Kept by the thread: a merge of many profiles reads each into the pages
  // of the one before instead of growing a new text every time.
  thread_local std::string text;
  return readSaved(source, &text, [&](std::string_view document, std::string* error) {
    return ReadSavedProfile(document, profile, error);
  });
}

bool TraceProfiler::readSaved(ByteSource* source, std::string* text,
                              const std::function<bool(std::string_view, std::string*)>& read) {
  std::string error;
  size_t size = 0;
  long got = 0;
  // Read in place: the buffer grows to the largest document and stays so,
  // its bytes past `size` left as they are.
  while (size <= kMaxSavedProfile) {
    if (text->size() - size < kSavedProfileBlock) text->resize(size + 2 * kSavedProfileBlock);
    got = source->read(text->data() + size, text->size() - size);
    if (got <= 0) break;
    size += size_t(got);
  }
  if (got < 0) {
    error = source->error();
  } else if (size > kMaxSavedProfile) {
    error = "larger than " + std::to_string(kMaxSavedProfile >> 20) + " MB";
  } else {
    read(std::string_view(text->data(), size), &error);
  }
  traceBytes_ = source->bytesConsumed();
  if (error.empty()) {
    warnFiltersPassSavedProfile();
    return true;
  }
  ReportError("cannot read saved profile", trace_->path(), error);
  failed_ = true;
  reportIncomplete_ = true;  // nothing of it can be reported
  return false;
}

bool TraceProfiler::refuseSavedProfile() {
  bool refused = !ShowsAnalytics(config_->reportFormat) ||
                 config_->analysis.output != OutputKind::kSummary || config_->listThreads;
  if (refused) {
    ReportError(trace_->path(), "is a saved profile",
                "only -s JSON, DIGEST, DASHBOARD and PROFILE read one, without -l");
    usageError_ = true;
  }
  return refused;
}

void TraceProfiler::reportReadFailure(const std::string& error) {
  ReportError("cannot read trace file", trace_->path(), error);
  failed_ = true;
}

bool TraceProfiler::listThreads() {
  std::unique_ptr<ByteSource> source = openTrace();
  if (source == nullptr) return false;
  LineReader reader(std::move(source), kReadBlock);
  ThreadIdCollector threads;
  LinePiece piece;
  while (reader.next(&piece)) threads.take(piece);
  if (reader.readFailed()) reportReadFailure(reader.error());
  std::string list;
  for (const std::string& id : threads.ids()) list += id + "\n";
  PrintMessage(list);
  std::fflush(stdout);
  return true;
}

bool TraceProfiler::analyse(const ThreadSelection& threads) {
  std::unique_ptr<ByteSource> source = openTrace();
  if (source == nullptr) return false;
  if (savedProfile_) {
    MergeableProfile saved;
    if (!refuseSavedProfile() && readSavedProfile(source.get(), &saved)) {
      writeMergedReport(std::move(saved), nullptr);
    }
    return true;
  }
  Profile profile;
  if (!analyseTrace(std::move(source), threads, &profile)) return true;
  if (config_->analysis.output != OutputKind::kSummary) return true;
  guard([&] {
    if (profile.mergeable != nullptr) profile.mergeable->nameTrace(sourceTrace(profile, threads));
    writeReport(profile, contextFor(FiltersOf(*config_, threads)));
  });
  return true;
}

bool TraceProfiler::mergeable(const ThreadSelection& threads, MergeInput* input) {
  input->saved = false;
  input->profile = nullptr;
  std::unique_ptr<ByteSource> source = openTrace();
  if (source == nullptr) {
    failed_ = true;
    return false;
  }
  if (savedProfile_) {
    input->saved = true;
    return readSaved(source.get(), &input->text,
                     [&](std::string_view document, std::string* error) {
                       return ReadSavedProfile(document, &input->rest, &input->classes, error);
                     });
  }
  Profile profile;
  if (!analyseTrace(std::move(source), threads, &profile) || failed_) return false;
  input->profile = std::move(profile.mergeable);
  input->profile->nameTrace(sourceTrace(profile, threads));
  return true;
}

SourceTrace TraceProfiler::sourceTrace(const Profile& profile, const ThreadSelection& threads) {
  return SourceTrace{trace_->path(), traceBytes_, profile.lines, FiltersOf(*config_, threads)};
}

bool TraceProfiler::analyseTrace(std::unique_ptr<ByteSource> source, const ThreadSelection& threads,
                                 Profile* profile) {
  auto scanner =
      std::make_unique<LineScanner>(std::make_unique<LineReader>(std::move(source), kReadBlock));
  warnIfThreadless(scanner->threadError());
  AnalysisConfig analysisConfig = config_->analysis;
  analysisConfig.threads = threads;
  DetailWriter listing(analysisConfig.listing, output(), analysisConfig.anonymize);
  TraceAnalysis analysis(analysisConfig, &listing);
  readTrace(&analysis, scanner.get());
  outOfMemory_.release();
  traceBytes_ = scanner->bytesConsumed();
  if (scanner->readFailed()) reportReadFailure(scanner->error());
  scanner.reset();
  // An empty file holds no trace line either; a trace that could not be read
  // to its end may have held some.
  if (!failed_ && analysis.headerLines() == 0) {
    ReportWarning(trace_->path() + " holds no trace lines");
  }
  return guard([&] {
    *profile = analysis.finish();
    warnIfThreadless(profile->analytics.threadError);
    if (profile->analytics.partial) reportFailure("out of memory in the analytics", 0);
    warnIfFilteredEmpty(analysis.filter());
  });
}

bool TraceProfiler::guard(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const std::bad_alloc&) {
    reportFailure("out of memory while making the report", 0);
  } catch (const std::exception& error) {
    reportFailure(std::string(error.what()) + " while making the report", 0);
  }
  reportIncomplete_ = true;
  return false;
}

void TraceProfiler::readTrace(TraceAnalysis* analysis, LineScanner* scanner) {
  outOfMemory_.prepare(trace_->path());
  ProgressMeter meter(!quiet_ && ProgressMeter::Wanted(config_->toConsole), trace_->size());
  uint64_t lines = 0;
  try {
    LinePiece piece;
    TraceLine parsed;
    while (scanner->next(&piece, &parsed)) {
      analysis->take(piece, parsed);
      if (!piece.last || (++lines & 0x3FFF) != 0) continue;
      meter.update(scanner->bytesConsumed());
      if (outputFailed()) return;  // nothing more can be written
    }
  } catch (const std::bad_alloc&) {
    outOfMemory_.report(lines + 1);
    failed_ = true;
    analysis->abandonLine();
  } catch (const std::exception& error) {
    reportFailure(error.what(), lines + 1);
    analysis->abandonLine();
  }
}

void TraceProfiler::reportFailure(const std::string& what, uint64_t line) {
  std::string where = line == 0 ? " of " : " at line " + std::to_string(line) + " of ";
  ReportFailure(what + where + trace_->path());
  failed_ = true;
}

size_t TraceProfiler::reportWidth() const {
  if (config_->width > 0) return config_->width;
  size_t terminal = config_->toConsole ? SystemStreams::TerminalColumns(SystemStreams::kOutput) : 0;
  if (terminal > 0) return terminal;
  // As the shell sets it, for output that goes to a pipe or a file.
  const char* columns = std::getenv("COLUMNS");
  size_t digits = columns == nullptr ? 0 : std::strspn(columns, "0123456789");
  if (digits > 0 && digits <= 4 && columns[digits] == '\0' && std::atoi(columns) > 0) {
    return static_cast<size_t>(std::atoi(columns));
  }
  return ReportContext().width;
}

bool TraceProfiler::outputFailed() {
  if (output_ == nullptr || !output_->failed()) return false;
  if (!outputFailureReported_) {
    std::string name = outputFile_ != nullptr ? outputFile_->name() : kConsoleName;
    ReportError("cannot write output file", name, output_->error());
    outputFailureReported_ = true;
  }
  return true;
}

void TraceProfiler::warnIfThreadless(const std::string& error) {
  if (!error.empty()) ReportWarning("cannot start a thread: " + error + "; going on without it");
}

void TraceProfiler::warnIfFilteredEmpty(const CallFilter& filter) {
  uint64_t calls = filter.shown();
  if (!config_->warnsWhenFilteredEmpty || calls == 0 || filter.accepted() > 0) return;
  ReportWarning("the filters leave none of the " + std::to_string(calls) +
                (calls == 1 ? " call of " : " calls of ") + trace_->path());
}

ReportContext TraceProfiler::contextFor(std::vector<std::string> filters) const {
  ReportContext context;
  context.traceName = trace_->path();
  context.traceBytes = traceBytes_;
  context.options = config_->options;
  context.filters = std::move(filters);
  context.top = config_->top;
  context.width = reportWidth();
  return context;
}

void TraceProfiler::writeReport(const Profile& profile, const ReportContext& context) {
  // The reports of the extensions, JSON among them, say so in their text. A
  // markup document on standard output must begin as one: the message goes
  // to standard error there.
  const ReportFormat format = config_->reportFormat;
  if (!ShowsAnalytics(format)) {
    bool markup = format == ReportFormat::kXml || format == ReportFormat::kHtml;
    const char* message = TimeSplitMessage(profile.timeSplit.error);
    if (markup && config_->toConsole) {
      PrintToStandardError(message);
    } else {
      PrintMessage(message);
    }
  }
  WriteReport(format, profile, context, *output());
}

void TraceProfiler::writeMergedReport(MergeableProfile merged, MergeableProfile* base) {
  guard([&] {
    ReportContext context = mergedContext(merged);
    Profile profile;
    // Only a saved profile is made from the exact profile itself.
    if (config_->reportFormat == ReportFormat::kProfile) {
      profile = merged.toProfile();
      profile.mergeable = std::make_shared<MergeableProfile>(std::move(merged));
    } else {
      profile = merged.takeProfile();
    }
    // As many of the longest calls as the run's analysis would keep.
    std::vector<TopCallEntry>& top = profile.topCalls;
    size_t kept = config_->analysis.topCalls;
    if (top.size() > kept) top.erase(top.begin(), top.end() - kept);
    if (base != nullptr) {
      std::string baseName = TraceNames(*base);
      auto comparison = std::make_shared<ProfileComparison>(
          CompareProfiles(base->takeAnalytics(), profile.analytics));
      comparison->baseName = std::move(baseName);
      profile.comparison = std::move(comparison);
    }
    // The profiles keep the texts as the traces hold them; the report of
    // their union hides them as one run's would.
    if (config_->analysis.anonymize) {
      Anonymizer().anonymize(&profile);
      AddFilter("--anonymize", &context.filters);
    }
    writeReport(profile, context);
  });
}

ReportContext TraceProfiler::mergedContext(const MergeableProfile& merged) {
  ReportContext context = contextFor({});
  context.traceName = TraceNames(merged);
  context.traceBytes = 0;
  for (const SourceTrace& trace : merged.traces) {
    context.traceBytes += trace.bytes;
    for (const std::string& filter : trace.filters) AddFilter(filter, &context.filters);
  }
  return context;
}

ExitCode TraceProfiler::finish() {
  if (usageError_) return kExitUsage;
  // An output that is cut short keeps no name.
  bool written = output()->finish();
  if (outputFailed() || !written || reportIncomplete_) return kExitFailed;
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

namespace {

// The run of --merge and --compare: every input profiled, the rest merged
// into the run's trace, the base set aside.
ExitCode RunMerged(const RunConfig& config, TraceProfiler* profiler) {
  std::vector<std::string> inputs = {config.traceFile};
  inputs.insert(inputs.end(), config.merges.begin(), config.merges.end());
  size_t aside = inputs.size();  // out of range without a base
  if (!config.compare.empty()) inputs.push_back(config.compare);
  MergeRun run(&config, inputs, config.jobs > 0 ? config.jobs : MachineCores());
  MergeableProfile merged, base;
  if (!run.run(config.analysis.threads, aside, &merged, &base)) return kExitFailed;
  profiler->writeMergedReport(std::move(merged), config.compare.empty() ? nullptr : &base);
  return profiler->finish();
}

}  // namespace

ExitCode Run(const RunConfig& config, const TraceFile& trace, OutputFile* outputFile) {
  TraceProfiler profiler(&config, &trace, outputFile);
  if (!config.merges.empty() || !config.compare.empty()) return RunMerged(config, &profiler);
  ThreadSelection threads = config.analysis.threads;
  if (config.listThreads) {
    if (!profiler.listThreads()) return kExitFailed;
    PrintMessage(kPrompt);
    std::fflush(stdout);
    std::string choice;
    if (!ReadThreadChoice(stdin, &choice)) {
      ReportError("invalid thread choice", "");
      return kExitUsage;
    }
    threads = ThreadSelection::FromChoice(choice);
  }
  if (!profiler.analyse(threads)) return kExitFailed;
  return profiler.finish();
}

}  // namespace quintrel
