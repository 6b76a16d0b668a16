#include "cli/program.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

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
  std::unique_ptr<quintrel::OutputFile> outputFile;
  if (!quintrel::CreateOutputFile(config, &outputFile)) return quintrel::kExitOutputExists;
  // Standard output that is the trace would be read back as it is written.
  if (config.toConsole && trace.isStandardOutput()) {
    quintrel::ReportError("output is the trace file", trace.path());
    return quintrel::kExitOutputExists;
  }
  return quintrel::Run(config, trace, outputFile.get());
}

}  // namespace

int quintrel::RunProgram(int argc, char** argv) {
  quintrel::SystemStreams::PrepareProcess();
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
