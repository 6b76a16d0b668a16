#include "analysis/profile_builder.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/fingerprint.h"
#include "analysis/listing_filter.h"
#include "tests/support/trace_lines.h"

namespace quintrel {
namespace {

using quintrel_test::CallFromFields;
using quintrel_test::kStamp;

AnalysisConfig Config(OutputKind output, ListingFormat listing = ListingFormat::kRaw,
                      const std::string& thread = "*", bool rpcOnly = false) {
  AnalysisConfig config;
  config.output = output;
  config.listing = listing;
  config.threads = ThreadSelection::FromChoice(thread);
  config.rpcOnly = rpcOnly;
  return config;
}

void Feed(ProfileBuilder* summary, const std::vector<std::string>& calls) {
  for (const std::string& fields : calls) {
    TraceCall call = CallFromFields(fields);
    summary->onCall(&call);
  }
}

// Counts the calls it receives.
struct CountingSink : TraceCallSink {
  void onCall(TraceCall*) override { ++calls; }
  int calls = 0;
};

std::string Describe(const QueryView& q) {
  return std::string(q.apiName) + "|" + std::string(q.queryText) + "|" +
         std::to_string(static_cast<int64_t>(q.durationMs)) + "|" + std::to_string(q.rowCount) +
         ";";
}

std::string Describe(const QueryRecord& q) {
  return Describe(QueryView{QueryApiName(q.api), q.queryText.view(), q.durationMs, q.rowCount});
}

TEST(ProfileBuilderTest, FiltersLeaveRejectedCallsUntouched) {
  struct Case {
    std::string selection, thread;
    bool rpcOnly;
    int32_t apiRpc, resultRpc;
    bool accepted;
  } cases[] = {
      {"*", "7", false, 0, 0, true},     {"12", "12", false, 0, 0, true},
      {"12", "012", false, 0, 0, false}, {"12", "12 ", false, 0, 0, false},
      {"12", "1", false, 0, 0, false},   {"*", "7", true, 118, 119, true},
      {"*", "7", true, 118, 118, false}, {"*", "7", true, 119, 118, false},
      {"*", "7", false, 119, 118, true}, {"12", "13", true, 1, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selection + "/" + c.thread + "/" + std::to_string(c.resultRpc));
    CountingSink listed;
    ProfileBuilder summary(
        Config(OutputKind::kSummary, ListingFormat::kRaw, c.selection, c.rpcOnly));
    ListingFilter listing(Config(OutputKind::kListing, ListingFormat::kCsv, c.selection, c.rpcOnly),
                          &listed);
    TraceCall call = CallFromFields("query,c,x|9|q0'", c.thread, c.apiRpc, c.resultRpc);
    summary.onCall(&call);
    listing.onCall(&call);
    const Profile profile = summary.takeProfile();
    EXPECT_EQ(profile.totalCallMillis, c.accepted ? 9 : 0);
    EXPECT_EQ(profile.endTimestamp, c.accepted ? kStamp : "");
    EXPECT_EQ(profile.apiSummary.size() + profile.topCalls.size() + profile.queries.size(),
              c.accepted ? 3u : 0u);
    EXPECT_EQ(listed.calls, c.accepted ? 1 : 0);
    for (const CallFilter* filter : {&summary.filter(), &listing.filter()}) {
      EXPECT_EQ(filter->shown(), 1u);
      EXPECT_EQ(filter->accepted(), c.accepted ? 1u : 0u);
    }
  }
}

TEST(ProfileBuilderTest, CountsCallsPerApiName) {
  ProfileBuilder summary(Config(OutputKind::kSummary));
  Feed(&summary, {"getserver|7||more", "next,c,q0|15", "next,s1,q1,x|20", "|3", ",x|4", "get,c|1"});
  std::map<std::string, std::string> rows;
  for (const ApiSummaryRow& row : summary.statistics().apiStatistics())
    rows[std::string(row.apiName)] =
        std::to_string(row.frequency) + ":" + std::to_string(int(row.durationMs));
  EXPECT_EQ(rows, (std::map<std::string, std::string>{
                      {"", "2:7"}, {"get", "1:1"}, {"getserver", "1:7"}, {"next", "2:35"}}));
  // The report lists them by total, equal totals by name.
  std::string order;
  for (const ApiSummaryRow& row : summary.takeProfile().apiSummary)
    order += std::string(row.apiName) + ";";
  EXPECT_EQ(order, "get;;getserver;next;");
  // The analytics reports count per API in their own rows alone.
  AnalysisConfig config = Config(OutputKind::kSummary);
  config.analytics = true;
  ProfileBuilder analytics(config);
  Feed(&analytics, {"getserver|7||more", "next,c,q0|15"});
  Profile profile = analytics.takeProfile();
  EXPECT_EQ(profile.apiSummary.size(), 0u);
  EXPECT_EQ(profile.analytics.apis.size(), 2u);
  EXPECT_EQ(profile.totalCallMillis, 22);
}

TEST(ProfileBuilderTest, KeepsTheLongestCalls) {
  struct Case {
    std::vector<int64_t> durations;  // call i has the API text "c<i>"
    std::string kept;                // ascending, as stored
    size_t limit = kSummaryTopCalls;
  } cases[] = {
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, "c1 c2 c3 c4 c5 c6 c7 c8 c9 c10 "},
      {{5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5}, "c2 c3 c4 c5 c6 c7 c8 c9 c10 c11 "},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1}, "c10 c1 c2 c3 c4 c5 c6 c7 c8 c9 "},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0}, "c0 c1 c2 c3 c4 c5 c6 c7 c8 c9 "},
      {{11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, "c9 c8 c7 c6 c5 c4 c3 c2 c1 c0 "},
      {{4, 2, 4, 3}, "c1 c3 c0 c2 "},
      {{4, 2, 4, 3, 4, 1}, "c2 c4 ", 2},
      {{3, 1, 3, 2, 3, 3, 0}, "c0 c2 c4 c5 ", 4},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0}, "c0 c1 c2 c3 c4 c5 c6 c7 c8 c9 c10 c11 ", 12},
      {{1, 2}, "", 0},
  };
  for (const Case& c : cases) {
    AnalysisConfig config = Config(OutputKind::kSummary);
    config.topCalls = c.limit;
    ProfileBuilder summary(config);
    for (size_t i = 0; i < c.durations.size(); ++i)
      Feed(&summary, {"c" + std::to_string(i) + "|" + std::to_string(c.durations[i]) + "||more"});
    std::string kept;
    for (const TopCallEntry& entry : summary.takeProfile().topCalls)
      kept += std::string(entry.callText.view()) + " ";
    EXPECT_EQ(kept, c.kept) << c.limit;
  }
}

TEST(ProfileBuilderTest, TracksQueries) {
  // Completed records in order, then "/", then the open ones as key=record.
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"query,c,select name from item|20|q0'", "next,c,q0|5", "next,c,q0|5", "next,c,q0|5",
        "close,c,q0|1"},
       "query|select name from item|36|4;/"},
      {{"execquery,s0,F,select id from item|10", "getlastcoll,s0|1|q1'", "next,s0,q1|4"},
       "/s0q1=execquery|select id from item|14|1;"},
      {{"execquery,s0,F,select id|10", "next,s0,q1|4", "getlastcoll,s1|1|q1'"}, "/"},
      {{"execquery,s0,F,A|1", "execquery,s0,F,B|2", "getlastcoll,s0|1|q1'"},
       "/s0q1=execquery|B|2|0;"},
      {{"query,c,A|5|q0'", "next,c,q0|2", "query,c,B|7|q0'"}, "query|A|7|1;/cq0=query|B|7|0;"},
      // "^" also matches after a line feed inside the text.
      {{"query,x1,a|1|q4'||query,c,b"}, "/x1q4=query|b\n|1|0;"},
      {{"query,c,A|5|next'", "next,c|3", "next,c,q9|3", "close,s1,next|3", "next|3"},
       "/cnext=query|A|5|0;"},
      {{"query_cmd,c,1,2,3,4,5|1|q2'", "query,x1,select|2|q3'", "cachequery,s12,X|3|q5'",
        "readquery,c,Y|4|", "query_cmd,s1,1,2,3,4,5,6,Z,W|5|q0'"},
       "/c=readquery|Y|4|0;cq2=query_cmd||1|0;s12q5=cachequery|X|3|0;s1q0=query_cmd|Z,W|5|0;"
       "x1q3=query||2|0;"},
      {{"query,c,select name|20|q0'|from item|where id = 7"},
       "/cq0=query|select namefrom item\nwhere id = 7\n|20|0;"},
      {{"execquery,s0,F,T|10", "getlastcoll,s0|1|q1'", "next,s0,q1|4", "getlastcoll,s0|1|q2'",
        "getlastcoll,s0|1|q1'"},
       "execquery|T|14|1;/s0q1=execquery|T|10|0;s0q2=execquery|T|10|0;"}};
  for (const auto& [calls, expected] : cases) {
    SCOPED_TRACE(calls[0]);
    ProfileBuilder summary(Config(OutputKind::kSummary));
    Feed(&summary, calls);
    std::string state;
    const QueryLog& completed = summary.completedQueries();
    for (size_t i = 0; i < completed.size(); ++i) state += Describe(completed.at(i));
    state += "/";
    for (const auto& [key, record] : summary.queries().openQueries())
      state += key + "=" + Describe(record);
    EXPECT_EQ(state, expected);
  }
}

// The analytics take a long query in part: its class is that of the whole
// text, even where texts differ only past the example's bytes, and the
// longest call keeps the whole API line.
TEST(ProfileBuilderTest, AnalyticsClassLongQueriesByTheirWholeText) {
  const std::string a = "select " + std::string(kLargeText, 'a');
  const std::string b = std::string(a).replace(kMaxExample + 10, 1, "B");
  AnalysisConfig config = Config(OutputKind::kSummary);
  config.analytics = true;
  ProfileBuilder summary(config);
  Feed(&summary, {"query,c," + a + "|9|q0'", "close,c,q0|1", "query,c," + b + "|3|q1'",
                  "close,c,q1|1", "query,c," + a.substr(0, 9) + "|2|q2'|" + a.substr(9),
                  "close,c,q2|1", "query,c,select 1|1|q3'", "close,c,q3|1"});
  const Profile profile = summary.takeProfile();
  std::map<std::string, std::pair<int64_t, std::string>> classes;  // count, example
  for (const ClassRow& row : profile.analytics.queryClasses) {
    classes[row.name] = {row.stats.count, row.example.text};
  }
  std::string fingerprintA, fingerprintB, fingerprintGlued;
  QueryFingerprint(a, &fingerprintA);
  QueryFingerprint(b, &fingerprintB);
  QueryFingerprint(a + "\n", 9, &fingerprintGlued);
  ASSERT_NE(fingerprintA, fingerprintB);
  std::map<std::string, std::pair<int64_t, std::string>> expected = {
      {fingerprintA, {1, a.substr(0, kMaxExample)}},
      {fingerprintB, {1, b.substr(0, kMaxExample)}},
      {"select ?", {1, "select 1"}}};
  expected[fingerprintGlued].first += 1;
  expected[fingerprintGlued].second = a.substr(0, kMaxExample);
  EXPECT_EQ(classes, expected);
  ASSERT_FALSE(profile.topCalls.empty());
  EXPECT_EQ(profile.topCalls.back().callText.view(), "query,c," + a);
}

}  // namespace
}  // namespace quintrel
