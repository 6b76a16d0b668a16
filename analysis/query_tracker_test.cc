#include "analysis/query_tracker.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/fingerprint.h"
#include "analysis/profile_analytics.h"
#include "analysis/query_log.h"
#include "tests/support/trace_patterns.h"

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
    EXPECT_EQ(QueryTracker::QueryTextStart(text), quintrel_test::QueryTextStartByPatterns(text))
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
    ASSERT_EQ(QueryTracker::QueryTextStart(text), quintrel_test::QueryTextStartByPatterns(text))
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

class RecordList : public QueryRecordSink {
 public:
  void onQueryRecord(QueryRecord* record) override { records.push_back(std::move(*record)); }
  std::vector<QueryRecord> records;
};

TEST(QueryTrackerTest, RecordsWhereTheFirstLinesWereJoined) {
  const struct {
    std::string apiLine;
    std::vector<std::string> continuation;
    std::string queryText;
    size_t gluedAt;
  } kCases[] = {
      {"query,c,select a", {}, "select a", std::string::npos},
      {"query,c,select a,", {"from t", "where x = 1"}, "select a,from t\nwhere x = 1\n", 9},
      {"execquery,s0,F,select a", {"from t"}, "select afrom t\n", 8},
      {"query,c,", {"select a"}, "select a\n", 0},
      {"query,c", {",select a"}, "select a\n", std::string::npos},
      {"query,c,select " + std::string(kLargeText, 'a'),
       {"from t"},
       "select " + std::string(kLargeText, 'a') + "from t\n",
       7 + kLargeText},
  };
  // Whole, and kept in part: a long text as its beginning and its class,
  // the call's text left to the call.
  for (bool inPart : {false, true}) {
    for (const auto& c : kCases) {
      RecordList list;
      QueryTracker tracker(&list);
      if (inPart) tracker.keepLongTextsInPart();
      TraceCall call;
      call.setApiLineText(c.apiLine);
      for (const std::string& line : c.continuation) call.appendContinuation(line);
      const std::string apiText(call.apiText.view());
      call.resultText.assign("q0'");
      tracker.track(&call);
      const bool partial = inPart && c.queryText.size() >= kLargeText;
      if (inPart) {
        EXPECT_EQ(call.apiText.view(), apiText);
      }
      call.reset();
      call.setApiLineText("getlastcoll,s0");
      call.resultText.assign("q0'");
      tracker.track(&call);
      tracker.finish();
      ASSERT_EQ(list.records.size(), 1u) << c.apiLine;
      const QueryRecord& record = list.records[0];
      EXPECT_EQ(record.queryText.view(), partial ? c.queryText.substr(0, kMaxExample) : c.queryText)
          << c.apiLine;
      EXPECT_EQ(record.gluedAt, c.gluedAt) << c.apiLine;
      std::string fingerprint;
      if (partial) QueryFingerprint(c.queryText, c.gluedAt, &fingerprint);
      EXPECT_EQ(record.fingerprint, fingerprint) << c.apiLine;
    }
  }
}

// Tracks `apiLine` with `result` as its result text.
void Track(QueryTracker* tracker, const std::string& apiLine, const std::string& result) {
  TraceCall call;
  call.setApiLineText(apiLine);
  call.resultText.assign(result);
  call.durationMs = 1;
  tracker->track(&call);
}

TEST(QueryTrackerTest, TheQueriesOfOneExecQueryShareItsLargeText) {
  // Each getlastcoll opens the query again; its text is held once.
  for (size_t length : {size_t{10}, kLargeText}) {
    RecordList list;
    QueryTracker tracker(&list);
    const std::string text = "select " + std::string(length, 'a');
    Track(&tracker, "execquery,s0,F," + text, "T'");
    Track(&tracker, "getlastcoll,s0", "q0'");
    Track(&tracker, "getlastcoll,s0", "q1'");
    tracker.finish();
    ASSERT_EQ(list.records.size(), 2u) << length;
    for (const QueryRecord& record : list.records) EXPECT_EQ(record.text(), text) << length;
    EXPECT_EQ(list.records[0].text().data() == list.records[1].text().data(), length >= kLargeText);
  }
}

// Random starts, fetches and closes of a few collections on two connections:
// the log lists the queries with their rows as it did when a close completed
// nothing (a record took the fetches on its key until the key started again,
// and was listed then, or at the end among the open ones in key order),
// while each closed query reached the log at its close.
TEST(QueryTrackerTest, ClosedQueriesKeepTheirPlaceAndRowsInTheLog) {
  std::mt19937 random(5);
  for (int trace = 0; trace < 300; ++trace) {
    QueryLog log;
    QueryTracker tracker(&log, &log);
    std::map<std::string, std::pair<std::string, int>> open;  // key: text, rows
    std::map<std::string, bool> closed;
    std::vector<std::pair<std::string, int>> expected;
    size_t handedOver = 0;  // at a close, or at a start of a key not closed
    for (int call = 0; call < 40; ++call) {
      const std::string connection = random() % 2 ? "c" : "s1";
      const std::string collection = "q" + std::to_string(random() % 4);
      const std::string key = connection + collection;
      const bool isOpen = open.count(key) > 0;
      switch (random() % 3) {
        case 0: {
          if (isOpen) expected.push_back(open[key]);
          if (isOpen && !closed[key]) ++handedOver;
          const std::string text = "select " + std::to_string(call);
          open[key] = {text, 0};
          closed[key] = false;
          Track(&tracker, "query," + connection + "," + text, collection + "'");
          break;
        }
        case 1:
          if (isOpen) ++open[key].second;
          Track(&tracker, "next," + connection + "," + collection, "");
          break;
        default:
          if (isOpen) ++open[key].second;
          if (isOpen && !closed[key]) ++handedOver;
          closed[key] = true;
          Track(&tracker, "close," + connection + "," + collection, "");
      }
    }
    EXPECT_EQ(log.size(), handedOver);
    tracker.finish();
    for (const auto& entry : open) expected.push_back(entry.second);
    ASSERT_EQ(log.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(log.at(i).queryText, expected[i].first) << "trace " << trace << ", query " << i;
      EXPECT_EQ(log.at(i).rowCount, expected[i].second) << "trace " << trace << ", query " << i;
    }
    EXPECT_TRUE(tracker.openQueries().empty());
  }
}

// Without a log a query ends at its close: a fetch on the collection after
// it counts to no query.
TEST(QueryTrackerTest, AQueryEndsAtItsCloseWithoutALog) {
  RecordList list;
  QueryTracker tracker(&list);
  Track(&tracker, "query,c,select a", "q0'");
  Track(&tracker, "next,c,q0", "");
  Track(&tracker, "close,c,q0", "");
  ASSERT_EQ(list.records.size(), 1u);
  EXPECT_TRUE(tracker.openQueries().empty());
  Track(&tracker, "next,c,q0", "");
  tracker.finish();
  ASSERT_EQ(list.records.size(), 1u);
  EXPECT_EQ(list.records[0].rowCount, 2);
  EXPECT_EQ(list.records[0].durationMs, 3.0);
}

}  // namespace
}  // namespace quintrel
