#include "analysis/analytics_worker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analytics.h"
#include "analysis/profile.h"

namespace quintrel {
namespace {

struct Sample {
  std::string text, thread, stamp;
  int64_t durationMs;
  std::string opened;  // the session a connect call opens
};

// What a list of classes says, name by name.
std::vector<std::string> Described(const std::vector<ClassRow>& rows) {
  std::vector<std::string> described;
  for (const ClassRow& row : rows) {
    described.push_back(row.name + " | " + std::to_string(row.stats.count) + " " +
                        std::to_string(row.stats.totalMs) + " " + std::to_string(row.stats.p95Ms) +
                        " | " + row.example.text + " " + std::to_string(row.example.ms));
  }
  return described;
}

std::vector<std::string> SessionsOf(const ProfileAnalytics& analytics) {
  std::vector<std::string> described = Described(analytics.users);
  for (const std::string& repository : Described(analytics.repositories)) {
    described.push_back(repository);
  }
  for (const SessionRow& session : analytics.sessions) {
    described.push_back(session.figures.name + " " + session.user + " " + session.repository + " " +
                        std::to_string(session.figures.stats.count));
  }
  return described;
}

// The worker hands long call texts over in part; the profile is the one the
// analytics make of the whole texts.
TEST(AnalyticsWorkerTest, LongCallTextsGiveTheProfileOfTheirWholeText) {
  const std::string longArgument(200000, 'x'), longName(100000, 'n');
  std::string manyArguments = "apply,s0";
  while (manyArguments.size() < 100000) manyArguments += ",NAME,s7,4e21100000002a11";
  const std::string stamp = "Wed Aug  6 14:03:22 2003 412345";
  const std::vector<Sample> calls = {
      {"connect,repo," + longArgument + ",,", "1", stamp, 6, "s5"},
      {"connect,'a, b'," + longArgument, "2", stamp, 6, "s1"},
      {"set,s5," + longArgument + ",title", "1", stamp, 7, ""},
      {"set,s1," + longArgument + "y,title", "2", stamp, 9, ""},
      {"set,s1,x,title", "2", stamp, 1, ""},
      {longName, "1", stamp, 3, ""},
      {longName + ",s0", "3", stamp, 4, ""},
      {"get," + longArgument + ",s2", "3", stamp, 4, ""},
      {manyArguments, "3", stamp, 5, ""},
      {"get,s0,4e21100000002a11,title", "1", stamp, 2, ""},
  };
  AnalyticsWorker worker(0);
  Analytics analytics(0);
  for (const Sample& call : calls) {
    CallFacts facts{call.text, call.thread, call.stamp, call.durationMs, call.opened, {}, {}, {}};
    worker.addCall(facts);
    analytics.addCall(facts);
  }
  Profile handedOver, direct;
  worker.moveInto(&handedOver, false);
  analytics.moveInto(&direct, true);
  EXPECT_EQ(Described(handedOver.analytics.callClasses), Described(direct.analytics.callClasses));
  EXPECT_EQ(Described(handedOver.analytics.apis), Described(direct.analytics.apis));
  EXPECT_EQ(SessionsOf(handedOver.analytics), SessionsOf(direct.analytics));
  EXPECT_EQ(handedOver.analytics.callClasses.size(), 8u);
  EXPECT_EQ(handedOver.analytics.apis.size(), 5u);
  EXPECT_EQ(handedOver.analytics.users.size(), 3u);
}

}  // namespace
}  // namespace quintrel
