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

// A call whose texts do not fit in the batch's room goes into a batch of its
// own size; the calls and queries around it keep their order and texts,
// which are copies of the caller's.
TEST(AnalyticsWorkerTest, CallsTooLargeForTheBatchEndItEarly) {
  const std::string stamp = "Wed Aug  6 14:03:22 2003 412345";
  const std::string hugeName(400000, 'h');
  AnalyticsWorker worker(0);
  Analytics analytics(0);
  for (int n = 0; n < 9000; ++n) {
    std::string text = n % 1500 == 7 ? std::to_string(n / 1500 % 2) + hugeName + ",s1"
                                     : "get,s" + std::to_string(n % 3) + ",x" + std::to_string(n);
    std::string opened = n % 1000 == 3 ? std::string(300000, 's') : "";
    std::string thread = std::to_string(n % 4);
    CallFacts facts{text, thread, stamp, n % 70, opened, {}, {}, {}};
    worker.addCall(facts);
    analytics.addCall(facts);
    if (n % 10 == 0) {
      QueryRecord record;
      record.queryText.assign("select x from t" + std::to_string(n % 30));
      record.durationMs = n % 90;
      record.threadId = std::to_string(n % 4);
      record.startStamp = stamp;
      if (n % 300 == 0) {
        // A long text handed over in part, with the class of the whole.
        record.fingerprint = "select x from t where a in (?+)";
        record.gluedAt = 6;
      }
      QueryRecord copy = record;
      worker.onQueryRecord(&record);
      analytics.onQueryRecord(&copy);
      // The record stays the caller's, to use again at once.
      record.queryText.assign("scribbled over");
      record.fingerprint = record.threadId = record.startStamp = "scribbled over";
    }
  }
  Profile handedOver, direct;
  worker.moveInto(&handedOver, false);
  analytics.moveInto(&direct, false);
  EXPECT_FALSE(handedOver.analytics.partial);
  EXPECT_EQ(Described(handedOver.analytics.callClasses), Described(direct.analytics.callClasses));
  EXPECT_EQ(Described(handedOver.analytics.queryClasses), Described(direct.analytics.queryClasses));
  EXPECT_EQ(Described(handedOver.analytics.apis), Described(direct.analytics.apis));
  EXPECT_EQ(SessionsOf(handedOver.analytics), SessionsOf(direct.analytics));
  EXPECT_EQ(handedOver.analytics.apis.size(), 3u);
  EXPECT_EQ(handedOver.analytics.calls, 9000);
}

}  // namespace
}  // namespace quintrel
