#include <gtest/gtest.h>

#include "tests/cli_runner.h"

namespace quintrel_test {
TEST(Smoke, Runs) {
  CliResult result = RunQuintrel({SourcePath("examples/sample.trc"), "CONSOLE", "-d", "CSV"});
  EXPECT_EQ(result.exitCode, 0);
}
}  // namespace quintrel_test
