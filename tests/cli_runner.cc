#include "tests/cli_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quintrel_test {

namespace {

// Reads both pipes until they close, so that neither can fill and block the
// child.
void Drain(int outFd, int errFd, CliResult* result) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* targets[2] = {&result->out, &result->err};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      ssize_t count = read(fds[i].fd, buffer, sizeof buffer);
      if (count > 0) {
        targets[i]->append(buffer, count);
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

// Standard input for the child: the input file, or a pipe fed from it by a
// helper process so that a large input cannot block the test.
int OpenInput(const std::string& path, bool fromPipe) {
  if (!fromPipe) return open(path.c_str(), O_RDONLY);
  int ends[2];
  if (pipe(ends) != 0) return -1;
  if (fork() == 0) {
    close(ends[0]);
    int in = open(path.c_str(), O_RDONLY);
    char buffer[65536];
    ssize_t count;
    while ((count = read(in, buffer, sizeof buffer)) > 0) {
      if (write(ends[1], buffer, count) != count) break;
    }
    _exit(0);
  }
  close(ends[1]);
  return ends[0];
}

[[noreturn]] void StartChild(const std::vector<std::string>& args, const RunOptions& options,
                             int in, int out, int err) {
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) _exit(126);
  if (options.fileSizeLimit >= 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit = {static_cast<rlim_t>(options.fileSizeLimit),
                    static_cast<rlim_t>(options.fileSizeLimit)};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(QUINTREL_BINARY));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  execv(QUINTREL_BINARY, argv.data());
  _exit(127);
}

}  // namespace

CliResult RunQuintrel(const std::vector<std::string>& args, const std::string& input,
                      const std::string& workDir) {
  RunOptions options;
  options.input = input;
  options.workDir = workDir;
  return RunQuintrel(args, options);
}

CliResult RunQuintrel(const std::vector<std::string>& args, const RunOptions& options) {
  ScratchDir scratch;
  int in = OpenInput(scratch.write("stdin", options.input), options.inputFromPipe);
  int outPipe[2], errPipe[2];
  if (in < 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0) return CliResult();
  pid_t child = fork();
  if (child == 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    StartChild(args, options, in, outPipe[1], errPipe[1]);
  }
  close(in);
  close(outPipe[1]);
  close(errPipe[1]);
  CliResult result;
  Drain(outPipe[0], errPipe[0], &result);
  int status = 0;
  waitpid(child, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quintrel-test-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  path_ = made != nullptr ? made : "";
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  // A test may have taken away permissions; give them back so removal works.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::file(const std::string& name) const { return path_ + "/" + name; }

std::string ScratchDir::write(const std::string& name, const std::string& contents) const {
  std::string path = file(name);
  std::ofstream(path, std::ios::binary) << contents;
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

std::string SourcePath(const std::string& relative) {
  return std::string(QUINTREL_SOURCE_DIR) + "/" + relative;
}

}  // namespace quintrel_test
