// The program entry: quintrel tracefile outputfile [options].
//
// Exit codes: 0 the run completed, 1 usage error, 2 the output file exists
// or cannot be created, 3 the run could not read its trace or write its
// output (or failed unexpectedly).
#include <cstdio>
#include <exception>

#include "app/output_file.h"
#include "app/parameter_map.h"
#include "app/run_config.h"
#include "app/trace_profiler.h"
#include "report/version.h"

namespace {

int Main(int argc, char** argv) {
  quintrel::ParameterMap parameters;
  if (!parameters.parse(argc, argv)) {
    parameters.usage();
    return 1;
  }
  if (parameters.contains("version")) std::printf("%s", quintrel::BANNER);
  int outputFd = -1;
  if (quintrel::OutputFileExists(parameters, &outputFd)) return 2;
  return quintrel::Run(quintrel::ReadRunConfig(parameters), outputFd) ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
  int code;
  try {
    code = Main(argc, argv);
  } catch (const std::exception& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "quintrel: %s\n", error.what());
    code = 3;
  } catch (...) {
    std::fflush(stdout);
    std::fprintf(stderr, "quintrel: unexpected failure\n");
    code = 3;
  }
  std::fflush(stdout);
  return code;
}
