#include "output/termination_cleanup.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>

#include "tests/support/scratch_dir.h"

namespace quintrel {
namespace {

// Runs `body` in a child process and returns how it ended.
int StatusOf(void (*body)(const std::string&), const std::string& path) {
  pid_t child = fork();
  if (child == 0) {
    body(path);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

TEST(TerminationCleanup, RemovesTheFileAndEndsWithTheSignal) {
  quintrel_test::ScratchDir dir;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const std::string path = dir.write(".out.quintrel-" + std::to_string(signal), "partial");
    static int raised;
    raised = signal;
    int status = StatusOf(
        [](const std::string& file) {
          TerminationCleanup::Arm(file);
          raise(raised);
        },
        path);
    ASSERT_TRUE(WIFSIGNALED(status)) << signal;
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_FALSE(Exists(path)) << signal;
  }
}

TEST(TerminationCleanup, KeepsWhatItWasToldToForget) {
  quintrel_test::ScratchDir dir;
  const std::string named = dir.write("named", "whole");
  int status = StatusOf(
      [](const std::string& file) {
        TerminationCleanup::Arm(file);
        TerminationCleanup::Disarm();
        raise(SIGTERM);
      },
      named);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_TRUE(Exists(named));
  // A signal ignored from the start stays ignored.
  status = StatusOf(
      [](const std::string& file) {
        std::signal(SIGHUP, SIG_IGN);
        TerminationCleanup::Arm(file);
        raise(SIGHUP);
      },
      named);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_TRUE(Exists(named));
  EXPECT_FALSE(TerminationCleanup::Arm(std::string(PATH_MAX, 'x')));
}

}  // namespace
}  // namespace quintrel
