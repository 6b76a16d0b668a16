#include "cli/program.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "analysis/freed_memory.h"
#include "cli/messages.h"
#include "cli/output_target.h"
#include "cli/parameter_map.h"
#include "cli/run_config.h"
#include "cli/trace_profiler.h"
#include "input/trace_file.h"
#include "output/output_file.h"
#include "output/system_streams.h"
#include "report/version.h"

namespace {

using quintrel::ExitCode;

// Listing the threads reads the trace twice and the answer from standard
// input: a usage error for a trace that is not a regular file.
bool CanListThreads(const quintrel::TraceFile& trace) {
  if (!trace.found() || trace.rereadable()) return true;  // a missing one is reported when opened
  quintrel::ReportError(
      "cannot list the threads of", trace.path(),
      trace.standardInput() ? "standard input answers the prompt" : "not a regular file");
  return false;
}

// --merge and --compare take the analytics reports only, and every input
// once; prints why not. Returns the exit code of a refusal, or kExitDone.
ExitCode CheckMergeInputs(const quintrel::RunConfig& config, const quintrel::TraceFile& trace) {
  bool saves = config.reportFormat == quintrel::ReportFormat::kProfile;
  bool merges = !config.merges.empty() || !config.compare.empty();
  // A saved profile keeps the trace's texts and users, which merge exactly;
  // pseudonyms numbered within one profile would not. A comparison matches
  // classes by the texts it would have to hide.
  if (config.analysis.anonymize && (saves || !config.compare.empty())) {
    quintrel::ReportError("--anonymize", "",
                          "is not taken by -s PROFILE or --compare: saved profiles keep the "
                          "texts to merge them exactly; anonymize the merged report instead");
    return quintrel::kExitUsage;
  }
  if (!merges) return quintrel::kExitDone;
  if (!config.analysis.analytics || config.listThreads || (saves && !config.compare.empty())) {
    bool compares = saves || config.merges.empty();
    quintrel::ReportError(compares ? "--compare" : "--merge", "",
                          compares
                              ? "is taken by -s JSON, DIGEST and DASHBOARD, without -l"
                              : "is taken by -s JSON, DIGEST, DASHBOARD and PROFILE, without -l");
    return quintrel::kExitUsage;
  }
  std::vector<quintrel::TraceFile> inputs = {trace};
  for (const std::string& merge : config.merges) inputs.emplace_back(merge);
  bool standardInput = trace.standardInput();
  for (size_t index = 1; index < inputs.size(); ++index) {
    const quintrel::TraceFile& input = inputs[index];
    if (!config.toConsole && input.path() == config.outputFile) {
      quintrel::ReportError("output is the trace file", input.path());
      return quintrel::kExitOutputExists;
    }
    for (size_t before = 0; before < index; ++before) {
      if (input.path() == inputs[before].path() || input.sameFile(inputs[before]) ||
          (input.standardInput() && standardInput)) {
        quintrel::ReportError("--merge names a trace twice:", input.path());
        return quintrel::kExitUsage;
      }
    }
    standardInput = standardInput || input.standardInput();
  }
  return quintrel::kExitDone;
}

// Whether standard output is one of the run's inputs, which the run would
// read back as it writes it; prints which.
bool OutputIsAnInput(const quintrel::RunConfig& config, const quintrel::TraceFile& trace) {
  if (!config.toConsole) return false;
  std::vector<quintrel::TraceFile> inputs;
  for (const std::string& input : config.merges) inputs.emplace_back(input);
  inputs.push_back(trace);
  for (const quintrel::TraceFile& input : inputs) {
    if (!input.isStandardOutput()) continue;
    quintrel::ReportError("output is the trace file", input.path());
    return true;
  }
  return false;
}

int Main(int argc, char** argv) {
  quintrel::ParameterMap parameters;
  if (!parameters.parse(argc, argv)) {
    parameters.usage();
    return quintrel::kExitUsage;
  }
  if (parameters.helpRequested()) {
    parameters.help();
    return quintrel::kExitDone;
  }
  if (parameters.versionRequested()) {
    quintrel::PrintMessage(std::string("quintrel ") + quintrel::VERSION +
                           "\nbuild: " + quintrel::BUILD + "\n");
    return quintrel::kExitDone;
  }
  if (parameters.contains("version")) quintrel::PrintMessage(quintrel::BANNER);
  quintrel::RunConfig config = quintrel::ReadRunConfig(parameters);
  for (int index = 3; index < argc; ++index) {
    config.options += (index > 3 ? " " : "") + std::string(argv[index]);
  }
  const quintrel::TraceFile trace(config.traceFile);
  if (config.listThreads && !CanListThreads(trace)) return quintrel::kExitUsage;
  ExitCode refused = CheckMergeInputs(config, trace);
  if (refused != quintrel::kExitDone) return refused;
  std::unique_ptr<quintrel::OutputFile> outputFile;
  if (!quintrel::CreateOutputFile(config, &outputFile)) return quintrel::kExitOutputExists;
  if (OutputIsAnInput(config, trace)) return quintrel::kExitOutputExists;
  return quintrel::Run(config, trace, outputFile.get());
}

}  // namespace

int quintrel::RunProgram(int argc, char** argv) {
  quintrel::SystemStreams::PrepareProcess();
  quintrel::FreedMemory::SetWay(&quintrel::SystemStreams::ReturnFreedMemory);
  int code;
  try {
    code = Main(argc, argv);
  } catch (const std::exception& error) {
    quintrel::ReportFailure(error.what());
    code = quintrel::kExitFailed;
  } catch (...) {
    quintrel::ReportFailure("unexpected failure");
    code = quintrel::kExitFailed;
  }
  std::fflush(stdout);
  return code;
}
