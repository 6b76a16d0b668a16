// The program entry: quintrel tracefile outputfile [options].
//
// Exit codes: 0 the run completed, 1 usage error, 2 the output file exists
// or cannot be created, 3 the run could not read its trace or write its
// output (or failed unexpectedly).
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "app/output_file.h"
#include "app/parameter_map.h"
#include "app/run_config.h"
#include "app/trace_file.h"
#include "app/trace_profiler.h"
#include "report/version.h"

namespace {

using quintrel::ExitCode;

// Descriptors 0 to 2 that are closed are opened on /dev/null, so that no
// file the run opens takes their place.
void OpenClosedStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) open("/dev/null", O_RDWR);
  }
}

// The process settings every run starts with.
void PrepareProcess() {
  OpenClosedStandardStreams();
  // A file-size limit ends writing with an error, not the process.
  std::signal(SIGXFSZ, SIG_IGN);
  // Large blocks get mappings of their own, which grow without copying.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
}

// Listing the threads reads the trace twice and the answer from standard
// input: a usage error for a trace that is not a regular file.
bool CanListThreads(const quintrel::RunConfig& config) {
  quintrel::TraceFileInfo info;
  if (!quintrel::StatTraceFile(config.traceFile, &info)) return true;  // reported when opened
  if (!info.standardInput && info.regular) return true;
  std::fprintf(stderr, "cannot list the threads of %s: %s\n", config.traceFile.c_str(),
               info.standardInput ? "standard input answers the prompt" : "not a regular file");
  return false;
}

// Whether standard output is the trace itself, which the run would read
// back as it writes it.
bool OutputIsTheTrace(const quintrel::RunConfig& config) {
  quintrel::TraceFileInfo trace;
  struct stat output;
  if (!config.toConsole || fstat(STDOUT_FILENO, &output) != 0 || !S_ISREG(output.st_mode)) {
    return false;
  }
  return quintrel::StatTraceFile(config.traceFile, &trace) && trace.regular &&
         trace.device == output.st_dev && trace.inode == output.st_ino;
}

int Main(int argc, char** argv) {
  quintrel::ParameterMap parameters;
  if (!parameters.parse(argc, argv)) {
    parameters.usage();
    return quintrel::kExitUsage;
  }
  if (quintrel::HelpRequested(parameters)) {
    parameters.help();
    return quintrel::kExitDone;
  }
  if (quintrel::VersionRequested(parameters)) {
    std::printf("quintrel %s\n", quintrel::VERSION);
    return quintrel::kExitDone;
  }
  if (parameters.contains("version")) std::printf("%s", quintrel::BANNER);
  quintrel::RunConfig config = quintrel::ReadRunConfig(parameters);
  for (int index = 3; index < argc; ++index) {
    config.options += (index > 3 ? " " : "") + std::string(argv[index]);
  }
  if (config.listThreads && !CanListThreads(config)) return quintrel::kExitUsage;
  std::unique_ptr<quintrel::OutputFile> outputFile;
  if (quintrel::OutputFileExists(parameters, &outputFile)) return quintrel::kExitOutputExists;
  if (OutputIsTheTrace(config)) {
    std::fprintf(stderr, "output is the trace file %s\n", config.traceFile.c_str());
    return quintrel::kExitOutputExists;
  }
  return quintrel::Run(config, outputFile.get());
}

}  // namespace

int main(int argc, char** argv) {
  PrepareProcess();
  int code;
  try {
    code = Main(argc, argv);
  } catch (const std::exception& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "quintrel: %s\n", error.what());
    code = quintrel::kExitFailed;
  } catch (...) {
    std::fflush(stdout);
    std::fprintf(stderr, "quintrel: unexpected failure\n");
    code = quintrel::kExitFailed;
  }
  std::fflush(stdout);
  return code;
}
