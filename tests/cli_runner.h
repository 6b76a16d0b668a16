// Runs the quintrel binary for black-box tests, and scratch folders for the
// files such a test makes.
#ifndef QUINTREL_TESTS_CLI_RUNNER_H_
#define QUINTREL_TESTS_CLI_RUNNER_H_

#include <string>
#include <vector>

namespace quintrel_test {

struct CliResult {
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// How the binary is started.
struct RunOptions {
  std::string input;           // standard input
  bool inputFromPipe = false;  // a pipe instead of a file as standard input
  std::string workDir;         // working directory; the current one when empty
  long fileSizeLimit = -1;     // RLIMIT_FSIZE in bytes (SIGXFSZ ignored), or none
};

// Runs the binary with `args` (not counting the program name), `input` as
// its standard input, in the working directory `workDir` (the current one
// when empty).
CliResult RunQuintrel(const std::vector<std::string>& args, const std::string& input = "",
                      const std::string& workDir = "");
CliResult RunQuintrel(const std::vector<std::string>& args, const RunOptions& options);

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
  std::string file(const std::string& name) const;
  // Writes `contents` to `name` in the folder and returns its path.
  std::string write(const std::string& name, const std::string& contents) const;

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
// A file of the source tree, by its path relative to the project root.
std::string SourcePath(const std::string& relative);

}  // namespace quintrel_test

#endif  // QUINTREL_TESTS_CLI_RUNNER_H_
