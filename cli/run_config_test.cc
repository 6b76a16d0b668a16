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
      {{"--since", "14:00", "--until", "+2h"}, {"--since=14:00", "--until=+2h"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConfigOf(c.options).filters, c.filters) << testing::PrintToString(c.options);
  }
}

TEST(RunConfigTest, ExtensionsAloneWarnWhenFiltersLeaveNoCall) {
  const struct {
    std::vector<std::string> options;
    bool warns;
  } cases[] = {
      {{}, false},
      {{"-r", "-s", "TEXT"}, false},
      {{"-l", "-d", "CSV", "-r", "--encoding=cp1252"}, false},
      {{"-s", "TEXT", "--top=80"}, false},
      {{"-d", "CSV", "--threads=1"}, true},
      {{"-s", "XML", "--until", "+1h"}, true},
      {{"--since=14:00"}, true},
      {{"-s", "JSON"}, true},
      {{"-s", "DIGEST", "--top=3"}, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConfigOf(c.options).warnsWhenFilteredEmpty, c.warns)
        << testing::PrintToString(c.options);
  }
}

}  // namespace
}  // namespace quintrel
