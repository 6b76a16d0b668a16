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
  int exitCode = -1;  // 128 + the signal for a run a signal ended
  std::string out;    // standard output
  std::string err;    // standard error
  long peakKb = 0;    // with measureMemory, the run's largest resident memory (not compared)
  // Compares what a run printed and how it ended.
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
  std::string input = "";       // standard input
  std::string workDir = "";     // working directory; the current one when empty
  bool inputFromPipe = false;   // a pipe instead of a file as standard input
  long fileSizeLimit = -1;      // RLIMIT_FSIZE in bytes, or none
  long memoryLimit = -1;        // RLIMIT_AS in bytes, or none
  unsigned timeLimit = 0;       // seconds until SIGALRM ends the run, or none
  std::string stdoutFile = "";  // a file standard output is appended to, instead of captured
  bool closeStdout = false;     // standard output and error start closed
  bool closeStderr = false;
  bool slowPipeOutput = false;  // a non-blocking pipe read late, as standard output
  bool measureMemory = false;   // sets CliResult::peakKb, through /usr/bin/time
};

// Runs the binary with `args` (not counting the program name).
CliResult RunQuintrel(const std::vector<std::string>& args, const RunOptions& options = {});

// Runs `command`, its program (looked up in PATH unless it holds a '/')
// followed by its arguments, as RunQuintrel runs the binary.
CliResult RunCommand(const std::vector<std::string>& command, const RunOptions& options = {});

// The path of a file of tests/data.
std::string Data(const std::string& name);

}  // namespace quintrel_test

#endif  // QUINTREL_TESTS_CLI_RUNNER_H_
