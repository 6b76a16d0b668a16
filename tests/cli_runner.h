// Runs the quintrel binary for black-box tests; scratch folders for the files
// such a test makes; trace lines to build traces from.
#ifndef QUINTREL_TESTS_CLI_RUNNER_H_
#define QUINTREL_TESTS_CLI_RUNNER_H_

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

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
  long fileSizeLimit = -1;     // RLIMIT_FSIZE in bytes (SIGXFSZ ignored), or none
};

// Runs the binary with `args` (not counting the program name).
CliResult RunQuintrel(const std::vector<std::string>& args, const RunOptions& options = {});

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // The path of `name` inside the folder.
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Writes `contents` to `name` in the folder and returns its path.
  std::string write(const std::string& name, const std::string& contents) const;

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
// The path of a file of tests/data.
std::string Data(const std::string& name);

// The header of a line of `thread` at "Wed Aug  6 14:03:22 2003 1": of an API
// line (0.000 sec, 1 rpc), or with `result` of a result line (0.002 sec, 2 rpc).
std::string Header(const std::string& thread, bool result = false);
// The API line with `api` and the result line 'q0' of a call of `thread`.
std::string Call(const std::string& thread, const std::string& api);
// The CSV record of that call.
std::string CsvRow(const std::string& thread, const std::string& api);

}  // namespace quintrel_test

#endif  // QUINTREL_TESTS_CLI_RUNNER_H_
