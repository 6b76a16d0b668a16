#include "cli/run_config.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
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
      {{"--anonymize", "--match=^get", "-r"}, {"-r", "--match=^get", "--anonymize"}},
      {{"-s", "JSON", "--anonymize"}, {"--anonymize"}},
      {{"--repositories=r1", "--users=a,b", "--users=c"}, {"--users=a,b,c", "--repositories=r1"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConfigOf(c.options).filters, c.filters) << testing::PrintToString(c.options);
  }
}

TEST(RunConfigTest, ExtensionsAloneWarnAndKeepMoreLongestCalls) {
  const struct {
    std::vector<std::string> options;
    bool warns;
    size_t topCalls;
  } cases[] = {
      {{}, false, 10},
      {{"-r", "-s", "TEXT"}, false, 10},
      {{"-l", "-d", "CSV", "-r", "--encoding=cp1252"}, false, 10},
      {{"-s", "TEXT", "--top=80"}, false, 10},
      {{"-d", "CSV", "--threads=1"}, true, 10},
      {{"-d", "RAW", "--users=admin"}, true, 10},
      {{"-s", "TEXT", "--repositories=repo01"}, true, 10},
      {{"-s", "XML", "--until", "+1h"}, true, 10},
      {{"--since=14:00"}, true, 10},
      {{"-s", "JSON"}, true, 50},
      {{"-s", "DIGEST", "--top=3"}, true, 10},
      {{"-s", "DASHBOARD", "--top=5000"}, true, 1000},
  };
  for (const auto& c : cases) {
    const RunConfig config = ConfigOf(c.options);
    EXPECT_EQ(config.warnsWhenFilteredEmpty, c.warns) << testing::PrintToString(c.options);
    EXPECT_EQ(config.analysis.topCalls, c.topCalls) << testing::PrintToString(c.options);
  }
}

// Where the report is made from the mergeable profile, the longest calls go
// there, and a huge call text is held once.
TEST(RunConfigTest, TheMergeableProfileTakesTheLongestCallsWhereItIsTheReport) {
  const std::pair<std::vector<std::string>, bool> kCases[] = {
      {{"-s", "JSON"}, false},
      {{"-s", "DASHBOARD", "--top=5"}, false},
      {{"-s", "PROFILE"}, true},
      {{"-s", "JSON", "--merge=b.trc"}, true},
      {{"-s", "DIGEST", "--compare=b.trc"}, true},
  };
  for (const auto& [options, mergeable] : kCases) {
    EXPECT_EQ(ConfigOf(options).analysis.mergeableTopCalls, mergeable)
        << testing::PrintToString(options);
  }
}

// The digest and the dashboard show the beginning of a call's text: the
// analysis keeps no more of an API line, unless a profile that keeps texts
// whole is made or the digest is wider than it.
TEST(RunConfigTest, ReportsThatCutCallTextsKeepTheBeginningOfAnApiLine) {
  const std::pair<std::vector<std::string>, size_t> kCases[] = {
      {{"-s", "DIGEST"}, kKeptApiLine},
      {{"-s", "DASHBOARD"}, kKeptApiLine},
      {{"-s", "DIGEST", "--width=1000"}, kKeptApiLine},
      {{"-s", "DIGEST", "--width=300000"}, std::string::npos},
      {{"-s", "JSON"}, std::string::npos},
      {{"-s", "TEXT"}, std::string::npos},
      {{"-s", "PROFILE"}, std::string::npos},
      {{"-s", "DIGEST", "--compare=b.trc"}, std::string::npos},
      {{"-s", "DASHBOARD", "--merge=b.trc"}, std::string::npos},
  };
  for (const auto& [options, kept] : kCases) {
    EXPECT_EQ(ConfigOf(options).analysis.apiLineKept, kept) << testing::PrintToString(options);
  }
}

TEST(RunConfigTest, ReadsTheUserAndRepositoryLists) {
  const RunConfig none = ConfigOf({"-s", "TEXT"});
  EXPECT_FALSE(none.analysis.users.has_value());
  EXPECT_FALSE(none.analysis.repositories.has_value());
  const RunConfig both = ConfigOf({"--users=a,b", "--repositories=r", "--users=b,c"});
  EXPECT_EQ(both.analysis.users, (NameSet{"a", "b", "c"}));
  EXPECT_EQ(both.analysis.repositories, (NameSet{"r"}));
}

}  // namespace
}  // namespace quintrel
