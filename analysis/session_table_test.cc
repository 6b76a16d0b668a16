#include "analysis/session_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/thread_table.h"

namespace quintrel {
namespace {

struct Call {
  std::string text;
  std::string opened;  // the handle a connect call's result names
  uint32_t thread;
  int64_t ms;
};

// "name calls totalMs" of each row, in rank order.
template <typename Row, typename Name>
std::vector<std::string> Figures(const std::vector<Row>& rows, Name name) {
  std::vector<std::string> figures;
  for (const Row& row : rows) {
    const ClassRow& figuresRow = name(row);
    figures.push_back(figuresRow.name + " " + std::to_string(figuresRow.stats.count) + " " +
                      std::to_string(figuresRow.stats.totalMs));
  }
  return figures;
}

// The handle is read from the API name's end, wherever the caller found it.
TEST(SessionTableTest, SessionHandleAfterTheApiName) {
  const struct {
    std::string text;
    std::string handle;
  } kCases[] = {
      {"next,s3,q12", "s3"},
      {"get,c", "c"},
      {"close", ""},
      {"x,", ""},
      {",s1,q", "s1"},
      {"fetch,s1234567,q", "s1234567"},
      {"fetch,s12345678", "s1234567"},
      {"query,s5,select a, b", "s5"},
  };
  for (const auto& c : kCases) {
    size_t nameSize = std::min(c.text.size(), c.text.find(','));
    EXPECT_EQ(SessionHandleAfter(c.text, nameSize), c.handle) << c.text;
    EXPECT_EQ(SessionHandleOf(c.text), c.handle) << c.text;
  }
}

TEST(SessionTableTest, SessionsUsersAndRepositoriesFromConnectCalls) {
  const Call kCalls[] = {
      {"get,s9,x", "", 0, 1},                    // no connect in the trace
      {"connect,repoA,ann,,,", "s0", 0, 100},    // opens s0 for ann
      {"fetch,s0,0900000180000123", "", 1, 10},  // another thread, same session
      {"query,c,select 1", "", 0, 20},           // c: thread 0 opened s0
      {"query,c,select 2", "", 1, 5},            // thread 1 opened nothing: session c
      {"dumpconnection", "", 0, 3},              // no session
      {"connect,repoB,bob,,,", "s0", 2, 200},    // s0 names another session now
      {"get,s0,y", "", 2, 30},
      {"connect,repoB,ann,,,", "s1", 3, 50},
  };
  SessionTable table;
  for (const Call& call : kCalls) table.add(call.text, call.opened, call.thread, call.ms);
  MergeableProfile profile;
  table.moveInto(&profile.sessions);
  ProfileAnalytics analytics = profile.analytics();
  auto self = [](const ClassRow& row) -> const ClassRow& { return row; };
  EXPECT_EQ(Figures(analytics.users, self),
            (std::vector<std::string>{"bob 2 230", "ann 4 180", "(unknown) 2 6", "(none) 1 3"}));
  EXPECT_EQ(
      Figures(analytics.repositories, self),
      (std::vector<std::string>{"repoB 3 280", "repoA 3 130", "(unknown) 2 6", "(none) 1 3"}));
  EXPECT_EQ(Figures(analytics.sessions,
                    [](const SessionRow& row) -> const ClassRow& { return row.figures; }),
            (std::vector<std::string>{"s0 #2 2 230", "s0 3 130", "s1 1 50", "c 1 5", "(none) 1 3",
                                      "s9 1 1"}));
  EXPECT_EQ(analytics.sessions[0].user, "bob");
  EXPECT_EQ(analytics.sessions[1].repository, "repoA");
  EXPECT_EQ(analytics.sessions[5].user, "(unknown)");
}

// Only a connect call's quoted result names the session it opened.
TEST(SessionTableTest, SessionOpenedByConnectCallsAlone) {
  const struct {
    const char* text;
    const char* result;
    const char* opened;
  } kCases[] = {
      {"connect,repoA,ann,,,", "s3'", "s3"},
      {"connect,", "s4'", "s4"},
      {"connect", "s5'", ""},
      {"connectx,repoA", "s6'", ""},
      {"Connect,repoA", "s7'", ""},
      {"fetch,s1,0900000180000123", "s8'", ""},
      {"connect,repoA,ann,,,", "T", ""},
      {"", "s9'", ""},
  };
  for (const auto& c : kCases) {
    TraceCall call;
    call.setApiLineText(c.text);
    call.resultText.assign(c.result);
    EXPECT_EQ(SessionOpenedBy(call), c.opened) << c.text;
  }
}

TEST(SessionTableTest, AConnectLeftOutByTheFiltersStillNamesItsSession) {
  SessionTable table;
  table.add("get,s9,x", "", 0, 1);
  // Thread 0 has a number; thread "t1" gets one only at its first call.
  table.openLeftOut("connect,repoA,ann,,,", "s0", 0, "t0");
  table.openLeftOut("connect,repoB,bob,,,", "s1", ThreadTable::kNone, "t1");
  table.add("get,c,y", "", 0, 10);
  table.numberThread("t1", 1);
  table.add("get,c,z", "", 1, 20);
  table.add("get,s0,w", "", 1, 5);
  table.openLeftOut("connect,repoA,cy,,,", "s0", 0, "t0");  // s0 opened again
  table.add("get,s0,v", "", 1, 7);
  table.openLeftOut("connect,repoC,dan,,,", "s2", 1, "t1");  // a session without calls
  MergeableProfile profile;
  table.moveInto(&profile.sessions);
  std::vector<std::string> sessions;
  for (const SessionRow& row : profile.analytics().sessions) {
    sessions.push_back(row.figures.name + " " + std::to_string(row.figures.stats.count) + " " +
                       row.user + " " + row.repository);
  }
  EXPECT_EQ(sessions, (std::vector<std::string>{"s1 1 bob repoB", "s0 2 ann repoA",
                                                "s0 #2 1 cy repoA", "s9 1 (unknown) (unknown)"}));
}

}  // namespace
}  // namespace quintrel
