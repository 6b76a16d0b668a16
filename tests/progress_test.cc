// The progress line of long runs: shown on a terminal only, then erased.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

const std::string kErase = "\r" + std::string(60, ' ') + "\r";

// A trace just over the size from which progress is shown.
std::string BigTrace(const ScratchDir& dir) {
  std::string block, trace;
  while (block.size() < (1 << 20)) block += Call("1", "get,s0,x");
  for (int i = 0; i < 65; ++i) trace += block;
  return dir.write("big.trc", trace);
}

TEST(Progress, ShownOnATerminalAndErased) {
  ScratchDir dir;
  // script(1) runs the command with a terminal as its standard error.
  const std::string command = "script -qec '" + std::string(QUINTREL_BINARY) + " " + BigTrace(dir) +
                              " " + dir.file("out.txt") + " -s TEXT' /dev/null > " +
                              dir.file("tty");
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string screen = ReadFile(dir.file("tty"));
  const size_t shown = screen.find("% read, ");
  ASSERT_NE(shown, std::string::npos) << screen;
  EXPECT_NE(screen.find(kErase, shown), std::string::npos);
}

TEST(Progress, PipedInputShowsTheBytesReadAndIsErasedOnInterrupt) {
  ScratchDir dir;
  // Lines that still arrive after the first second draw the line; the run
  // is interrupted while it waits for more.
  const std::string trace = BigTrace(dir);
  const std::string script =
      dir.write("run.sh", "(cat " + trace + "; sleep 1.2; cat " + trace + "; sleep 6) | " +
                              std::string(QUINTREL_BINARY) + " - " + dir.file("out.txt") +
                              " -s TEXT &\nsleep 4\nkill -INT $!\nwait $!\n");
  const std::string command = "script -qec 'sh " + script + "' /dev/null > " + dir.file("tty");
  std::system(command.c_str());
  const std::string screen = ReadFile(dir.file("tty"));
  const size_t shown = screen.find(" MB read, ");
  ASSERT_NE(shown, std::string::npos) << screen;
  EXPECT_NE(screen.find(kErase, shown), std::string::npos) << screen;
  EXPECT_EQ(screen.find("% read"), std::string::npos) << screen;
}

TEST(Progress, SilentWithoutATerminal) {
  ScratchDir dir;
  EXPECT_EQ(RunQuintrel({BigTrace(dir), dir.file("out.txt"), "-s", "TEXT"}),
            (CliResult{0, "", ""}));
}

}  // namespace
}  // namespace quintrel_test
