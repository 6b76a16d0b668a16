#include "analysis/mergeable_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/timeline.h"
#include "analysis/top_list.h"

namespace quintrel {
namespace {

const int64_t kStart = 12345 * 86400 + 9 * 3600;  // 09:00 on a day

// The profile of calls of `trace` at `seconds` after kStart (each of 10 ms,
// its thread named by `threads`), its timeline chosen as one run's would.
MergeableProfile ProfileOf(const std::string& trace, const std::vector<int64_t>& seconds,
                           const std::vector<std::string>& threads) {
  Timeline timeline(0);
  MergeableProfile profile;
  for (size_t i = 0; i < seconds.size(); ++i) {
    uint32_t thread = 0;
    while (thread < profile.threads.size() && profile.threads[thread].id != threads[i]) ++thread;
    if (thread == profile.threads.size()) profile.threads.push_back({"", threads[i], 0, 0, "", ""});
    ++profile.threads[thread].calls;
    timeline.add(kStart + seconds[i], 10, thread);
    profile.apis["get"].durations.add(10);
  }
  profile.bucketSeconds = timeline.bucketSeconds();
  profile.timeline = timeline.takeBuckets();
  profile.nameTrace(SourceTrace{trace, 0, 0, {}});
  return profile;
}

TEST(MergeableProfileTest, TimelineMergesAsOneRunsWould) {
  const struct {
    std::vector<int64_t> first, second;
  } kCases[] = {
      {{0, 50}, {60, 110}},       // both 1 s, together still 1 s
      {{0, 100}, {200, 700}},     // 1 s and 5 s: 10 s together
      {{0, 3000}, {3000, 9000}},  // 30 s and 60 s: 300 s together
      {{0, 100000}, {5, 7}},      // a day's width takes the narrow one in
  };
  for (const auto& c : kCases) {
    std::vector<int64_t> all = c.first;
    all.insert(all.end(), c.second.begin(), c.second.end());
    MergeableProfile whole = ProfileOf("whole", all, std::vector<std::string>(all.size(), "7"));
    MergeableProfile merged = ProfileOf("a", c.first, {"7", "7"});
    merged.merge(ProfileOf("b", c.second, {"7", "7"}));
    EXPECT_EQ(merged.bucketSeconds, whole.bucketSeconds) << c.second[1];
    std::vector<TimelineBucket> expected = whole.analytics().timeline;
    std::vector<TimelineBucket> got = merged.analytics().timeline;
    ASSERT_EQ(got.size(), expected.size()) << c.second[1];
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].start, expected[i].start);
      EXPECT_EQ(got[i].calls, expected[i].calls);
      EXPECT_EQ(got[i].dmclMs, expected[i].dmclMs);
    }
  }
}

TEST(MergeableProfileTest, ThreadsAreToldApartByTrace) {
  MergeableProfile merged = ProfileOf("a.trc", {0, 1}, {"7", "8"});
  merged.merge(ProfileOf("b.trc", {1, 2}, {"7", "7"}));
  merged.merge(ProfileOf("a.trc", {2}, {"8"}));
  ProfileAnalytics analytics = merged.analytics();
  std::vector<std::string> ids;
  for (const ThreadRow& row : analytics.threads)
    ids.push_back(row.id + ":" + std::to_string(row.calls));
  EXPECT_EQ(ids, (std::vector<std::string>{"7@b.trc:2", "8@a.trc:2", "7@a.trc:1"}));
  // Second 1 and 2 both have two threads: one of each trace.
  ASSERT_EQ(analytics.timeline.size(), 3u);
  EXPECT_EQ(analytics.timeline[0].threads, 1);
  EXPECT_EQ(analytics.timeline[1].threads, 2);
  EXPECT_EQ(analytics.timeline[2].threads, 2);
  EXPECT_EQ(analytics.calls, 5);
}

// A profile of several traces merged into one of some of them: its threads
// of those traces join theirs, the others come new, in any grouping.
TEST(MergeableProfileTest, ThreadsOfSharedTracesJoinAcrossGroupings) {
  MergeableProfile left = ProfileOf("a.trc", {0, 1}, {"7", "8"});
  left.merge(ProfileOf("b.trc", {1}, {"7"}));
  MergeableProfile right = ProfileOf("c.trc", {2}, {"7"});
  right.merge(ProfileOf("a.trc", {2, 3}, {"8", "9"}));
  left.merge(right);
  MergeableProfile inOrder = ProfileOf("a.trc", {0, 1}, {"7", "8"});
  for (MergeableProfile next : {ProfileOf("b.trc", {1}, {"7"}), ProfileOf("c.trc", {2}, {"7"}),
                                ProfileOf("a.trc", {2, 3}, {"8", "9"})}) {
    inOrder.merge(next);
  }
  for (const MergeableProfile* merged : {&left, &inOrder}) {
    ProfileAnalytics analytics = merged->analytics();
    std::vector<std::string> ids;
    for (const ThreadRow& row : analytics.threads) {
      ids.push_back(row.id + ":" + std::to_string(row.calls));
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"8@a.trc:2", "7@a.trc:1", "7@b.trc:1", "7@c.trc:1",
                                             "9@a.trc:1"}));
    std::vector<int64_t> threadsPerSecond;
    for (const auto& bucket : analytics.timeline) threadsPerSecond.push_back(bucket.threads);
    EXPECT_EQ(threadsPerSecond, (std::vector<int64_t>{1, 2, 2, 1}));
  }
}

TEST(MergeableProfileTest, ExamplesAndLongestCallsFollowTheInputs) {
  MergeableProfile first, second;
  first.callClasses["c"].durations.add(5);
  first.callClasses["c"].example = Example{"first", 5, "1", "s1"};
  second.callClasses["c"].durations.add(5);
  second.callClasses["c"].example = Example{"second", 5, "2", "s2"};
  first.topCallsKept = second.topCallsKept = 2;
  first.topCalls = {TopCallEntry{TextBuffer("a"), 3.0, "", ""},
                    TopCallEntry{TextBuffer("b"), 5.0, "", ""}};
  second.topCalls = {TopCallEntry{TextBuffer("c"), 5.0, "", ""}};
  first.merge(second);
  // Equal durations: the earlier input's, as the earlier call's in one trace.
  EXPECT_EQ(first.callClasses["c"].example.text, "first");
  ASSERT_EQ(first.topCalls.size(), 2u);
  EXPECT_EQ(first.topCalls[0].callText.view(), "b");
  EXPECT_EQ(first.topCalls[1].callText.view(), "c");
  EXPECT_EQ(first.callClasses["c"].durations.count(), 2);
}

// Calls named by their durations: {3, 5} is a call "0" of 3 ms and "1" of
// 5 ms, with names from `first` on.
std::vector<TopCallEntry> Calls(const std::vector<double>& durations, int first) {
  std::vector<TopCallEntry> calls;
  for (double ms : durations) {
    calls.push_back(TopCallEntry{TextBuffer(std::to_string(first++)), ms, "", ""});
  }
  return calls;
}

std::vector<std::string> Names(const std::vector<TopCallEntry>& calls) {
  std::vector<std::string> names;
  for (const TopCallEntry& call : calls) names.emplace_back(call.callText.view());
  return names;
}

TEST(MergeableProfileTest, LongestCallsMergeAsOneListFedBothKeepsThem) {
  const struct {
    std::vector<double> ours, theirs;
    size_t limit;
  } kCases[] = {
      {{}, {}, 3},
      {{1, 2}, {}, 3},
      {{}, {1, 2}, 3},
      {{1, 5, 9}, {2, 5, 7}, 3},
      {{1, 5, 9}, {2, 5, 7}, 4},
      {{5, 5, 5}, {5, 5}, 3},  // ties: the later fed stay
      {{1, 2, 3}, {4, 5, 6}, 2},
      {{4, 5, 6}, {1, 2, 3}, 10},
      {{1, 2, 3, 4}, {2}, 2},  // more than the limit already
      {{3, 1, 2}, {5, 4}, 3},  // not in order: fed one by one
      {{1, 2}, {2, 1, 2}, 3},
      {{7}, {7}, 0},
  };
  for (const auto& test : kCases) {
    MergeableProfile ours, theirs;
    ours.topCalls = Calls(test.ours, 0);
    theirs.topCalls = Calls(test.theirs, 100);
    ours.topCallsKept = test.limit;
    TopList<TopCallEntry> reference(test.limit);
    for (const TopCallEntry& call : ours.topCalls) reference.add(call);
    for (const TopCallEntry& call : theirs.topCalls) reference.add(call);
    ours.merge(theirs);
    EXPECT_EQ(Names(ours.topCalls), Names(reference.take()))
        << ::testing::PrintToString(test.ours) << " + " << ::testing::PrintToString(test.theirs)
        << " to " << test.limit;
  }
}

// Every figure of `analytics` in a line each, for comparing two of them.
std::vector<std::string> Described(const ProfileAnalytics& analytics) {
  std::vector<std::string> lines;
  for (const auto* rows : {&analytics.apis, &analytics.queryClasses, &analytics.callClasses,
                           &analytics.users, &analytics.repositories}) {
    for (const ClassRow& row : *rows) {
      lines.push_back(row.name + " " + std::to_string(row.stats.count) + " " +
                      std::to_string(row.stats.p95Ms) + " " + std::to_string(row.fetches) + " " +
                      row.example.text + " " + std::to_string(row.example.ms));
    }
  }
  for (const SessionRow& row : analytics.sessions) {
    lines.push_back(row.figures.name + " " + row.user + " " + row.repository + " " +
                    std::to_string(row.figures.stats.totalMs));
  }
  for (const ThreadRow& row : analytics.threads) {
    lines.push_back(row.id + " " + std::to_string(row.calls) + " " + row.first + " " + row.last);
  }
  for (const TimelineBucket& bucket : analytics.timeline) {
    lines.push_back(std::to_string(bucket.start) + " " + std::to_string(bucket.calls));
  }
  for (const LatencyBucket& bucket : analytics.latency) {
    lines.push_back(std::to_string(bucket.fromMs) + " " + std::to_string(bucket.calls));
  }
  lines.push_back(std::to_string(analytics.calls) + " " + std::to_string(analytics.queries) + " " +
                  std::to_string(analytics.elapsedMs));
  return lines;
}

TEST(MergeableProfileTest, TakingTheAnalyticsGivesWhatCopyingGives) {
  MergeableProfile profile = ProfileOf("a.trc", {0, 1, 40}, {"7", "8", "7"});
  profile.merge(ProfileOf("b.trc", {2, 30}, {"7", "9"}));
  for (int64_t ms : {1, 2, 900, 40}) profile.apis["set"].durations.add(ms);
  profile.queryClasses["select ?"].durations.add(70);
  profile.queryClasses["select ?"].fetches = 3;
  profile.callClasses["get,?"].durations.add(5);
  profile.callClasses["get,?"].example = Example{"get,1", 5, "7", "s1"};
  profile.sessions.push_back(MergeableSession{"a.trc", "s1", "u", "r", {}});
  profile.sessions.back().durations.add(12);
  MergeableProfile taken = profile;
  const ProfileAnalytics copied = profile.analytics();
  EXPECT_EQ(Described(taken.takeAnalytics()), Described(copied));
  EXPECT_TRUE(taken.apis.empty() && taken.callClasses.empty() && taken.threads.empty());
  EXPECT_TRUE(taken.timeline.empty() && taken.sessions.empty());
  EXPECT_EQ(copied.latency.back().toMs, 1000);  // up to the longest call
}

}  // namespace
}  // namespace quintrel
