#include "analysis/session_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quintrel {
namespace {

struct Call {
  const char* thread;
  const char* text;
  const char* result;  // a connect call's result text, "s0'" of "Res: 's0'"
};

// A trace of sessions opened, reused and used through "c", and calls of no
// session or of one whose connect is not in the trace.
const Call kCalls[] = {
    {"t0", "get,s9,x", ""},                        // 0: s9 opened before the trace
    {"t0", "connect,repoA,ann,,,", "s0'"},         // 1: s0 is ann's in repoA
    {"t1", "fetch,s0,0900000180000123", ""},       // 2: another thread, ann's s0
    {"t0", "query,c,select 1", ""},                // 3: c: t0 opened ann's s0
    {"t1", "query,c,select 2", ""},                // 4: t1 opened none
    {"t0", "dumpconnection", ""},                  // 5: no session
    {"t2", "connect,repoB,bob,,,", "s0'"},         // 6: s0 is bob's now
    {"t2", "get,s0,y", ""},                        // 7: bob's
    {"t0", "get,s0,z", ""},                        // 8: bob's, whoever asks
    {"t0", "next,c,q1", ""},                       // 9: c: still ann's session
    {"t3", "connect,repoB,ann,,,", "s1'"},         // 10: ann in repoB
    {"t3", "connect,repoA,nobody,,,", ""},         // 11: failed: no session
    {"t4", "connect,'repo,A',\"x,y\",,,", "s2'"},  // 12: quoted names
};

std::vector<int> Accepted(const std::optional<NameSet>& users,
                          const std::optional<NameSet>& repositories) {
  SessionFilter filter(users, repositories);
  std::vector<int> accepted;
  TraceCall call;
  for (int index = 0; index < static_cast<int>(std::size(kCalls)); ++index) {
    call.setThreadId(kCalls[index].thread);
    call.setApiLineText(kCalls[index].text);
    call.resultText.assign(kCalls[index].result);
    if (filter.accepts(call)) accepted.push_back(index);
  }
  return accepted;
}

TEST(SessionFilterTest, KeepsTheCallsOfTheSessionsOfTheListedNames) {
  const struct {
    std::optional<NameSet> users, repositories;
    std::vector<int> accepted;
  } kCases[] = {
      {NameSet{"ann"}, std::nullopt, {1, 2, 3, 9, 10}},
      {NameSet{"bob"}, std::nullopt, {6, 7, 8}},
      {NameSet{"ann", "bob"}, std::nullopt, {1, 2, 3, 6, 7, 8, 9, 10}},
      {std::nullopt, NameSet{"repoB"}, {6, 7, 8, 10}},
      {NameSet{"ann"}, NameSet{"repoB"}, {10}},
      {NameSet{"nobody"}, std::nullopt, {}},
      {NameSet{"Ann"}, std::nullopt, {}},
      {NameSet{"\"x,y\""}, NameSet{"'repo,A'"}, {12}},
  };
  for (const auto& test : kCases) {
    EXPECT_EQ(Accepted(test.users, test.repositories), test.accepted)
        << (test.users ? *test.users->begin() : "") << " "
        << (test.repositories ? *test.repositories->begin() : "");
  }
}

TEST(SessionFilterTest, WithoutListsIsInactive) {
  EXPECT_FALSE(SessionFilter(std::nullopt, std::nullopt).active());
  EXPECT_TRUE(SessionFilter(NameSet{"ann"}, std::nullopt).active());
  EXPECT_TRUE(SessionFilter(std::nullopt, NameSet{"repoA"}).active());
}

}  // namespace
}  // namespace quintrel
