// The progress line of long runs: shown on a terminal only, then erased.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

// A trace just over the size from which progress is shown.
std::string BigTrace(const ScratchDir& dir) {
  std::string call =
      "# [ 1 ] Wed Aug  6 14:03:22 2003 1 ( 0.000 sec) ( 1 rpc) API> get,s0,x\n"
      "# [ 1 ] Wed Aug  6 14:03:22 2003 2 ( 0.002 sec) ( 2 rpc) Res: 'T'\n";
  std::string block;
  while (block.size() < (1 << 20)) block += call;
  std::string trace;
  for (int i = 0; i < 65; ++i) trace += block;
  return dir.write("big.trc", trace);
}

TEST(Progress, ShownOnATerminalAndErased) {
  ScratchDir dir;
  std::string trace = BigTrace(dir);
  // script(1) runs the command with a terminal as its standard error.
  std::string command = "script -qec '" + std::string(QUINTREL_BINARY) + " " + trace + " " +
                        dir.file("out.txt") + " -s TEXT' /dev/null > " + dir.file("tty");
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::string screen = ReadFile(dir.file("tty"));
  size_t shown = screen.find("% read, ");
  ASSERT_NE(shown, std::string::npos) << screen;
  EXPECT_NE(screen.find("\r                                        \r", shown), std::string::npos);
}

TEST(Progress, SilentWithoutATerminal) {
  ScratchDir dir;
  CliResult result = RunQuintrel({BigTrace(dir), dir.file("out.txt"), "-s", "TEXT"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out + result.err, "");
}

}  // namespace
}  // namespace quintrel_test
