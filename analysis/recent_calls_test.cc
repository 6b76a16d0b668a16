#include "analysis/recent_calls.h"

#include <gtest/gtest.h>

#include <string>

namespace quintrel {
namespace {

const size_t kNoId = RecentCalls::kNoId;

// A call is found only with its own bytes, less its object id where it has
// one, and its own hash, with the session slot kept for it; a call kept in
// the same slot takes it over.
TEST(RecentCallsTest, FindsOnlyWhatWasKeptUnderTheSameText) {
  const std::string kCall = "get,s1,4e211098c7f9be6c,subject";
  const std::string kNext = "next,s1,q0";
  const std::string kLongest(RecentCalls::kMaxText, 'a');
  RecentCalls recent;
  const uint64_t hash = RecentCalls::Hash(kCall, 7);
  uint32_t sessionSlot = 99;
  EXPECT_EQ(recent.find(kCall, 7, hash, &sessionSlot), RecentCalls::kNone);
  recent.keep(kCall, 7, hash, 7, 3);
  recent.keep(kNext, kNoId, RecentCalls::Hash(kNext, kNoId), 8, 3);
  recent.keep(kLongest, kNoId, RecentCalls::Hash(kLongest, kNoId), 9, 0);
  struct Case {
    std::string text;
    size_t idAt;
    uint64_t hash;
    uint32_t expected;
    uint32_t sessionSlot;
  } cases[] = {
      {kCall, 7, hash, 7, 3},
      // Another object: only the id differs.
      {"get,s1,0123456789abcdef,subject", 7, hash, 7, 3},
      {kNext, kNoId, RecentCalls::Hash(kNext, kNoId), 8, 3},
      {kLongest, kNoId, RecentCalls::Hash(kLongest, kNoId), 9, 0},
      // Texts that happen to share the hash: another length, another byte
      // before or after the id, the id read as text.
      {kCall + ",x", 7, hash, RecentCalls::kNone, 99},
      {"get,s2,4e211098c7f9be6c,subject", 7, hash, RecentCalls::kNone, 99},
      {"get,s1,4e211098c7f9be6c,subjecT", 7, hash, RecentCalls::kNone, 99},
      {kCall, kNoId, hash, RecentCalls::kNone, 99},
      {kCall, 7, hash + 1, RecentCalls::kNone, 99},
      {"", kNoId, RecentCalls::Hash("", kNoId), RecentCalls::kNone, 99},
  };
  for (const Case& c : cases) {
    sessionSlot = 99;
    EXPECT_EQ(recent.find(c.text, c.idAt, c.hash, &sessionSlot), c.expected) << c.text;
    EXPECT_EQ(sessionSlot, c.sessionSlot) << c.text;
  }
  // The same text with and without its id left out hashes apart.
  EXPECT_NE(RecentCalls::Hash(kCall, 7), RecentCalls::Hash(kCall, kNoId));
  EXPECT_EQ(RecentCalls::Hash(kCall, 7), RecentCalls::Hash("get,s1,0123456789abcdef,subject", 7));
  recent.keep("next,s1,q1", kNoId, hash, 10, 3);
  EXPECT_EQ(recent.find(kCall, 7, hash, &sessionSlot), RecentCalls::kNone);
  EXPECT_EQ(recent.find("next,s1,q1", kNoId, hash, &sessionSlot), 10u);
}

}  // namespace
}  // namespace quintrel
