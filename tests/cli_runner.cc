#include "tests/cli_runner.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace quintrel_test {

namespace {

void SetLimit(int resource, long value) {
  if (value < 0) return;
  const rlimit limit = {static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
  setrlimit(resource, &limit);
}

// In the child: standard input from the input file or a pipe that cat(1)
// feeds from it; standard output and error as the options say.
void SetUpStreams(const RunOptions& options, const std::string& in, const std::string& out,
                  const std::string& err, int outputPipe) {
  int input[2] = {open(in.c_str(), O_RDONLY), -1};
  if (options.inputFromPipe && pipe(input) == 0 && fork() == 0) {
    dup2(input[1], 1);
    execlp("cat", "cat", in.c_str(), nullptr);
    _exit(127);
  }
  if (input[1] >= 0) close(input[1]);
  dup2(input[0], 0);
  if (outputPipe >= 0) {
    dup2(outputPipe, 1);
  } else if (!options.stdoutFile.empty()) {
    dup2(open(options.stdoutFile.c_str(), O_WRONLY | O_APPEND), 1);
  } else {
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
  }
  dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
  if (options.closeStdout) close(1);
  if (options.closeStderr) close(2);
}

// Reads the slow pipe to its end after a pause, into `path`.
void DrainLate(int fd, const std::string& path) {
  usleep(200000);
  int flags = fcntl(fd, F_GETFL);
  fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::string text;
  char block[65536];
  for (ssize_t n; (n = read(fd, block, sizeof block)) > 0;) text.append(block, n);
  close(fd);
  ScratchDir::WriteFile(path, text);
}

}  // namespace

CliResult RunQuintrel(const std::vector<std::string>& args, const RunOptions& options) {
  std::vector<std::string> command = {QUINTREL_BINARY};
  command.insert(command.end(), args.begin(), args.end());
  return RunCommand(command, options);
}

CliResult RunCommand(const std::vector<std::string>& command, const RunOptions& options) {
  ScratchDir io;
  const std::string in = io.write("in", options.input), out = io.file("out"), err = io.file("err");
  const std::string rss = io.file("rss");
  int slow[2] = {-1, -1};
  if (options.slowPipeOutput && pipe2(slow, O_NONBLOCK) != 0) return CliResult();
  const pid_t child = fork();
  if (child == 0) {
    if (slow[0] >= 0) close(slow[0]);
    SetUpStreams(options, in, out, err, slow[1]);
    if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) _exit(126);
    SetLimit(RLIMIT_FSIZE, options.fileSizeLimit);
    SetLimit(RLIMIT_AS, options.memoryLimit);
    if (options.timeLimit > 0) alarm(options.timeLimit);
    // time(1) measures its own child, which shares none of this process's
    // memory, as a child of this process would.
    std::vector<std::string> words = {"/usr/bin/time", "-f", "%M", "-o", rss};
    if (!options.measureMemory) words.clear();
    words.insert(words.end(), command.begin(), command.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  if (slow[1] >= 0) {
    close(slow[1]);
    DrainLate(slow[0], out);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), ReadFile(out),
          ReadFile(err), std::atol(ReadFile(rss).c_str())};
}

std::string Data(const std::string& name) {
  return std::string(QUINTREL_SOURCE_DIR) + "/tests/data/" + name;
}

}  // namespace quintrel_test
