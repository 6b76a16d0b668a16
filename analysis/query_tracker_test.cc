#include "analysis/query_tracker.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace quintrel {
namespace {

TEST(QueryTrackerTest, QueryTextStartReadsThePatternsByHand) {
  const char* const kExamples[] = {
      "query,c,select a",
      "query,s12,x",
      "query,s,x",
      "query,x1,x",
      "query,c",
      "queryc,c,x",
      "cachequery,c,x",
      "readquery,s0,",
      "execquery,c,F,select",
      "execquery,c,F",
      "execquery,c,,x",
      "query_cmd,c,1,2,3,4,5,6,x",
      "query_cmd,c,1,2,3,4,5",
      "next,c,q0",
      "get,c\nquery,c,x",
      "get\rreadquery,s1,y",
      "a\fquery,c,z",
      "query,c,a\nquery,c,b",
  };
  for (const char* text : kExamples) {
    EXPECT_EQ(QueryTracker::QueryTextStart(text), QueryTracker::QueryTextStartByPatterns(text))
        << text;
  }
  // Texts put together from the pieces the patterns care about.
  const char* const kPieces[] = {"query,", "cachequery,", "readquery,", "execquery,", "query_cmd,",
                                 "c",      "s",           "12",         ",",          ",,",
                                 "x",      " ",           "\n",         "\r",         "\f",
                                 "q",      "\xff",        "select a"};
  std::mt19937 random(3);
  for (int i = 0; i < 200000; ++i) {
    std::string text;
    for (int n = random() % 12; n > 0; --n) text += kPieces[random() % std::size(kPieces)];
    ASSERT_EQ(QueryTracker::QueryTextStart(text), QueryTracker::QueryTextStartByPatterns(text))
        << testing::PrintToString(text);
  }
}

TEST(QueryTrackerTest, CallsThatMayMatterToTracking) {
  const std::pair<const char*, bool> kCases[] = {
      {"query,c,x", true}, {"next,c,q0", true}, {"close,s1,q2", true}, {"getlastcoll,s0", true},
      {"get,c,x", false},  {"queryx,c", false}, {",c,x", false},       {"", true},
      {"quer", true},      {"next", true},      {"nexts", false},      {"execquery,c", true},
  };
  for (const auto& [text, mayTrack] : kCases)
    EXPECT_EQ(QueryTracker::MayTrack(text), mayTrack) << text;
}

}  // namespace
}  // namespace quintrel
