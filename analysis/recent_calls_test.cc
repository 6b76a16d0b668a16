#include "analysis/recent_calls.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/text_index.h"

namespace quintrel {
namespace {

// A call is found only with its own bytes and hash, with the API name length
// kept for it; a call kept in the same slot takes it over.
TEST(RecentCallsTest, FindsOnlyWhatWasKeptUnderTheSameText) {
  const std::string kCall = "get,s1,4e211098c7f9be6c,subject";
  const std::string kLongest(RecentCalls::kMaxText, 'a');
  RecentCalls recent;
  const uint64_t hash = HashText(kCall);
  size_t nameSize = 99;
  EXPECT_EQ(recent.find(kCall, hash, &nameSize), RecentCalls::kNone);
  recent.keep(kCall, hash, 3, 7);
  recent.keep(kLongest, HashText(kLongest), 40, 8);
  struct Case {
    std::string text;
    uint64_t hash;
    uint32_t expected;
    size_t nameSize;
  } cases[] = {
      {kCall, hash, 7, 3},
      {kLongest, HashText(kLongest), 8, 40},
      // Another call that happens to share the hash, and one of the same
      // length that differs in its last byte only.
      {kCall + ",x", hash, RecentCalls::kNone, 99},
      {kCall.substr(0, kCall.size() - 1) + "x", hash, RecentCalls::kNone, 99},
      {kCall, hash + 1, RecentCalls::kNone, 99},
      {"", HashText(""), RecentCalls::kNone, 99},
  };
  for (const Case& c : cases) {
    nameSize = 99;
    EXPECT_EQ(recent.find(c.text, c.hash, &nameSize), c.expected) << c.text;
    EXPECT_EQ(nameSize, c.nameSize) << c.text;
  }
  recent.keep("next,s1,q0", hash, 4, 9);
  EXPECT_EQ(recent.find(kCall, hash, &nameSize), RecentCalls::kNone);
  EXPECT_EQ(recent.find("next,s1,q0", hash, &nameSize), 9u);
}

}  // namespace
}  // namespace quintrel
