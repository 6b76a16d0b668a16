#include "tests/cli_runner.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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
      signal(SIGXFSZ, SIG_IGN);
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

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quintrel-test-XXXXXX").string();
  path_ = mkdtemp(pattern.data()) != nullptr ? pattern : "";
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::write(const std::string& name, const std::string& contents) const {
  std::ofstream(file(name), std::ios::binary) << contents;
  return file(name);
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string Data(const std::string& name) {
  return std::string(QUINTREL_SOURCE_DIR) + "/tests/data/" + name;
}

std::string Header(const std::string& thread, bool result) {
  return "# [ " + thread + " ] Wed Aug  6 14:03:22 2003 1 " +
         (result ? "( 0.002 sec) ( 2 rpc) " : "( 0.000 sec) ( 1 rpc) ");
}

std::string Call(const std::string& thread, const std::string& api) {
  return Header(thread) + "API> " + api + "\n" + Header(thread, true) + "Res: 'q0'\n";
}

std::string CsvRow(const std::string& thread, const std::string& api) {
  return "\"" + thread + "\",\"Wed Aug  6 14:03:22 2003 1\",\"1\",\"2\",\"" + api + "\",\n";
}

}  // namespace quintrel_test
