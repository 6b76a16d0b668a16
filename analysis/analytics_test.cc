#include "analysis/analytics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/profile.h"

namespace quintrel {
namespace {

// Every figure of the analytics' rows and counts, a line each.
std::vector<std::string> Described(const ProfileAnalytics& analytics) {
  std::vector<std::string> lines;
  for (const auto* rows : {&analytics.apis, &analytics.queryClasses, &analytics.callClasses,
                           &analytics.users, &analytics.repositories}) {
    for (const ClassRow& row : *rows) {
      const DurationStats& stats = row.stats;
      lines.push_back(row.name + " | " + std::to_string(stats.count) + " " +
                      std::to_string(stats.totalMs) + " " + std::to_string(stats.p50Ms) + " " +
                      std::to_string(stats.p95Ms) + " " + std::to_string(stats.p99Ms) + " " +
                      std::to_string(stats.maxMs) + " " + std::to_string(row.fetches) + " | " +
                      row.example.text + " " + std::to_string(row.example.ms) + " " +
                      row.example.thread + " " + row.example.start);
    }
    lines.push_back("--");
  }
  for (const LatencyBucket& bucket : analytics.latency) {
    lines.push_back(std::to_string(bucket.fromMs) + " " + std::to_string(bucket.calls));
  }
  lines.push_back(std::to_string(analytics.calls) + " calls " + std::to_string(analytics.queries) +
                  " queries");
  return lines;
}

// Fills `analytics` with calls of many classes, most met once, some often
// (with durations dense and sparse, ties of total time among them), and
// queries of a few classes.
void Fill(Analytics* analytics) {
  const std::string stamp = "Wed Aug  6 14:03:22 2003 412345";
  for (int n = 0; n < 3000; ++n) {
    std::string text = n % 3 == 0 ? "get,s1,4e21100000002a11,attr" + std::to_string(n)
                                  : "fetch,s" + std::to_string(n % 4) + ",4e21100000002a11";
    int64_t ms = n % 5 == 0 ? 100 + n % 700 : n % 60;
    std::string thread = std::to_string(n % 6);
    analytics->addCall(CallFacts{text, thread, stamp, ms, "", {}, {}, {}});
  }
  for (int n = 0; n < 200; ++n) {
    QueryRecord record;
    record.queryText.assign(n % 2 == 0 ? "select a from t where b = " + std::to_string(n)
                                       : "select c from u" + std::to_string(n % 7));
    record.durationMs = n % 9 == 0 ? 250.0 + n : n % 40;
    record.rowCount = n % 11;
    record.threadId = std::to_string(n % 6);
    record.startStamp = stamp;
    analytics->onQueryRecord(&record);
  }
}

// A report that keeps no exact profile takes its rows from the tables at
// once; they are those the exact profile gives.
TEST(AnalyticsTest, RowsTakenWithoutTheExactProfileAreItsRows) {
  Analytics taken(0), kept(0);
  Fill(&taken);
  Fill(&kept);
  Profile withoutExact, withExact;
  taken.moveInto(&withoutExact, false);
  kept.moveInto(&withExact, true);
  ASSERT_NE(withExact.mergeable, nullptr);
  EXPECT_EQ(withoutExact.mergeable, nullptr);
  EXPECT_EQ(Described(withoutExact.analytics), Described(withExact.analytics));
  EXPECT_EQ(withoutExact.analytics.calls, 3000);
  EXPECT_EQ(withoutExact.analytics.queries, 200);
  EXPECT_EQ(withoutExact.analytics.queryClasses.size(), 8u);
}

}  // namespace
}  // namespace quintrel
