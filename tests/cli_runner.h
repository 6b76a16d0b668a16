// Runs the quintrel binary for black-box tests.
#ifndef QUINTREL_TESTS_CLI_RUNNER_H_
#define QUINTREL_TESTS_CLI_RUNNER_H_

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/scratch_dir.h"
#include "tests/support/trace_lines.h"

namespace quintrel_test {

struct CliResult {
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error
  bool operator==(const CliResult& o) const {
    return std::tie(exitCode, out, err) == std::tie(o.exitCode, o.out, o.err);
  }
  friend void PrintTo(const CliResult& r, std::ostream* os) {
    *os << "exit " << r.exitCode << "\n--- out:\n" << r.out << "\n--- err:\n" << r.err;
  }
};

// What -l asks after listing the threads.
inline const std::string kPrompt =
    "Please choose a thread from the list above (or '*' for all threads): \n";

// How the binary is started.
struct RunOptions {
  std::string input = "";      // standard input
  std::string workDir = "";    // working directory; the current one when empty
  bool inputFromPipe = false;  // a pipe instead of a file as standard input
  long fileSizeLimit = -1;     // RLIMIT_FSIZE in bytes, or none
};

// Runs the binary with `args` (not counting the program name).
CliResult RunQuintrel(const std::vector<std::string>& args, const RunOptions& options = {});

// The path of a file of tests/data.
std::string Data(const std::string& name);

}  // namespace quintrel_test

#endif  // QUINTREL_TESTS_CLI_RUNNER_H_
