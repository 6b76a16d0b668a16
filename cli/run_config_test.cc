#include "cli/run_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quintrel {
namespace {

RunConfig ConfigOf(const std::vector<std::string>& options) {
  std::vector<const char*> argv = {"quintrel", "trace.trc", "out"};
  for (const std::string& option : options) argv.push_back(option.c_str());
  ParameterMap parameters;
  EXPECT_TRUE(parameters.parse(static_cast<int>(argv.size()), argv.data()));
  return ReadRunConfig(parameters);
}

TEST(RunConfigTest, NamesTheFiltersInForce) {
  const struct {
    std::vector<std::string> options;
    std::vector<std::string> filters;
  } cases[] = {
      {{}, {}},
      {{"-s", "DASHBOARD", "--top=5", "--bucket=60", "-v"}, {}},
      {{"-r", "-s", "DASHBOARD"}, {"-r"}},
      {{"/rpconly", "--threads=236,91"}, {"-r", "--threads=236,91"}},
      {{"--until=14:04:00", "--since=2003-08-06 14:03:30"},
       {"--since=2003-08-06 14:03:30", "--until=14:04:00"}},
      {{"-l", "-s", "DASHBOARD"}, {"-l"}},
      {{"-d", "CSV", "-rpc"}, {"-r"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConfigOf(c.options).filters, c.filters) << testing::PrintToString(c.options);
  }
}

}  // namespace
}  // namespace quintrel
