#include "tests/cli_runner.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace quintrel_test {

CliResult RunQuintrel(const std::vector<std::string>& args, const RunOptions& options) {
  ScratchDir io;
  const std::string in = io.write("in", options.input), out = io.file("out"), err = io.file("err");
  const pid_t child = fork();
  if (child == 0) {
    // Standard input is the input file, or a pipe that cat(1) feeds from it.
    int input[2] = {open(in.c_str(), O_RDONLY), -1};
    if (options.inputFromPipe && pipe(input) == 0 && fork() == 0) {
      dup2(input[1], 1);
      execlp("cat", "cat", in.c_str(), nullptr);
      _exit(127);
    }
    if (input[1] >= 0) close(input[1]);
    dup2(input[0], 0);
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) _exit(126);
    if (options.fileSizeLimit >= 0) {
      const rlimit limit = {static_cast<rlim_t>(options.fileSizeLimit),
                            static_cast<rlim_t>(options.fileSizeLimit)};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char*> argv = {const_cast<char*>(QUINTREL_BINARY)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(QUINTREL_BINARY, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), ReadFile(out),
          ReadFile(err)};
}

std::string Data(const std::string& name) {
  return std::string(QUINTREL_SOURCE_DIR) + "/tests/data/" + name;
}

}  // namespace quintrel_test
