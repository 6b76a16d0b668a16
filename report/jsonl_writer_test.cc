#include "report/jsonl_writer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "tests/support/trace_lines.h"

namespace quintrel {
namespace {

// The object JsonlWriter writes for the call CallFromFields makes of
// `fields`, read back by a JSON parser.
nlohmann::json Record(const std::string& fields, bool anonymize = false,
                      const std::string& stamp = "") {
  std::ostringstream out;
  JsonlWriter writer(&out, anonymize);
  TraceCall call = quintrel_test::CallFromFields(fields, "3412", 118, 121);
  if (!stamp.empty()) call.timeStamp = stamp;
  writer.write(call);
  std::string line = out.str();
  EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
  return nlohmann::json::parse(line);
}

TEST(JsonlWriterTest, WritesTheFieldsOfACall) {
  nlohmann::json record = Record("connect,repo01,admin,,,|412|s0'");
  EXPECT_EQ(record["thread"], "3412");
  EXPECT_EQ(record["start"], "2003-08-06T14:03:22.412345");
  EXPECT_FALSE(record.contains("stamp"));
  EXPECT_EQ(record["durationMs"], 412);
  EXPECT_EQ(record["roundTrips"], 3);
  EXPECT_EQ(record["api"], "connect");
  EXPECT_EQ(record["args"], nlohmann::json({"repo01", "admin", "", "", ""}));
  EXPECT_TRUE(record["query"].is_null());
  EXPECT_EQ(record["session"], "s0");
  EXPECT_EQ(record["class"].get<std::string>().size(), 12u);
  EXPECT_TRUE(record["queryClass"].is_null());
}

TEST(JsonlWriterTest, SplitsArgumentsAndQueries) {
  const struct {
    std::string fields;
    nlohmann::json args;
    nlohmann::json query;
    nlohmann::json session;
  } kCases[] = {
      {"dumpconnection|1|T'", nlohmann::json::array(), nullptr, nullptr},
      {"set,s0,subject,'a, b'|1|T'", {"s0", "subject", "'a, b'"}, nullptr, "s0"},
      {"get,s0,x,|1|T'", {"s0", "x", ""}, nullptr, "s0"},
      {"query,c,select a, b from t where n = 'x'|1|q0'",
       {"c"},
       "select a, b from t where n = 'x'",
       "c"},
      {"readquery,s2,select a|1|q0'| from t|where x = 1",
       {"s2"},
       "select a from t\nwhere x = 1\n",
       "s2"},
  };
  for (const auto& c : kCases) {
    nlohmann::json record = Record(c.fields);
    EXPECT_EQ(record["args"], c.args) << c.fields;
    EXPECT_EQ(record["query"], c.query) << c.fields;
    EXPECT_EQ(record["session"], c.session) << c.fields;
    EXPECT_EQ(record["queryClass"].is_null(), c.query.is_null()) << c.fields;
  }
}

TEST(JsonlWriterTest, AnyBytesGiveValidJson) {
  const std::string kHostile =
      std::string("get,s0,\"q\\\x01\t\xff\xc3(\xed\xa0\x80\xe2\x82\xac") + "|1|T'";
  nlohmann::json record = Record(kHostile);
  EXPECT_EQ(record["args"][1],
            "\"q\\\x01\t\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
            "\xe2\x82\xac");
}

TEST(JsonlWriterTest, AStampWithoutAValidDateIsKept) {
  for (const std::string stamp :
       {"Xyz Aug  6 14:03:22 2003 412345", "Wed Foo  6 14:03:22 2003 1",
        "Wed Aug  6 25:03:22 2003 1", "Wed Aug  6 14:03:22 2003 1234567"}) {
    nlohmann::json record = Record("get,s0,x|1|T'", false, stamp);
    if (stamp[0] == 'X') {
      EXPECT_EQ(record["start"], "2003-08-06T14:03:22.412345");
      continue;
    }
    EXPECT_TRUE(record["start"].is_null()) << stamp;
    EXPECT_EQ(record["stamp"], stamp);
  }
}

TEST(JsonlWriterTest, StampsOfOneSecondShareTheirDateAndTime) {
  const struct {
    std::string stamp;
    std::string start;
  } kCalls[] = {
      {"Wed Aug  6 14:03:22 2003 412345", "\"2003-08-06T14:03:22.412345\""},
      {"Wed Aug  6 14:03:22 2003 7", "\"2003-08-06T14:03:22.000007\""},
      {"Wed Aug  6 14:03:22 2003 1234567", "null,\"stamp\":\"Wed Aug  6 14:03:22 2003 1234567\""},
      {"Wed Aug  6 14:03:22 2003 99", "\"2003-08-06T14:03:22.000099\""},
      {"Wed Aug  6 14:03:23 2003 0", "\"2003-08-06T14:03:23.000000\""},
      {"Thu Aug  7 14:03:23 2003 0", "\"2003-08-07T14:03:23.000000\""},
  };
  std::ostringstream out;
  JsonlWriter writer(&out, false);
  std::string expected;
  for (const auto& c : kCalls) {
    TraceCall call = quintrel_test::CallFromFields("get,s0,x|1|T'");
    call.timeStamp = c.stamp;
    writer.write(call);
    expected += "\"start\":" + c.start + ",";
  }
  std::string starts;
  for (size_t at = out.str().find("\"start\""); at != std::string::npos;
       at = out.str().find("\"start\"", at + 1)) {
    starts += out.str().substr(at, out.str().find(",\"durationMs", at) - at) + ",";
  }
  EXPECT_EQ(starts, expected);
}

// A stamp of the second before is known by its head and its digits read
// at once: one that only looks alike must be read as a writer that met
// nothing before reads it.
TEST(JsonlWriterTest, StampsLikeTheLastOneAreReadAsAlone) {
  const std::string kLast = "Wed Aug  6 14:03:22 2003 412345";
  for (const std::string stamp :
       {"Wed Aug  6 14:03:22 2003 1a2", "Wed Aug  6 14:03:22 2003 /9",
        "Wed Aug  6 14:03:22 2003 :", "Wed Aug  6 14:03:22 2003 12", "Wed Aug  6 14:03:22 2003  5",
        "Wed Aug  6 14:03:22 2003 \xb9", "Wed Aug  6 14:03:22 2003x1", "Wed Aug  6 14:03:22 20031",
        "Wed Aug  6 14:03:23 2003 1"}) {
    std::ostringstream after, alone;
    JsonlWriter afterWriter(&after, false), aloneWriter(&alone, false);
    TraceCall call = quintrel_test::CallFromFields("get,s0,x|1|T'");
    call.timeStamp = kLast;
    afterWriter.write(call);
    call.timeStamp = stamp;
    aloneWriter.write(call);
    afterWriter.write(call);
    EXPECT_EQ(after.str().substr(after.str().find('\n') + 1), alone.str()) << stamp;
  }
}

// Class ids of texts met before come from a cache: they must be those a
// writer that met nothing before gives.
TEST(JsonlWriterTest, ClassIdsStayWhenTextsComeAgain) {
  const std::string kCalls[] = {"get,s0,4e21100000002a11,title|1|T'", "next,s0,q0|1|T'",
                                "query,c,select a from t where b = 'x'|1|q0'",
                                "get,s0,4e21100000002a12,title|1|T'",
                                "query,c,select a from t where b = 'y'|1|q1'"};
  std::ostringstream out;
  JsonlWriter writer(&out, false);
  for (int round = 0; round < 3; ++round) {
    for (const std::string& fields : kCalls) {
      writer.write(quintrel_test::CallFromFields(fields));
    }
  }
  std::istringstream lines(out.str());
  std::string line;
  for (size_t i = 0; std::getline(lines, line); ++i) {
    nlohmann::json fresh = Record(kCalls[i % std::size(kCalls)]);
    nlohmann::json again = nlohmann::json::parse(line);
    EXPECT_EQ(again["class"], fresh["class"]) << line;
    EXPECT_EQ(again["queryClass"], fresh["queryClass"]) << line;
  }
}

TEST(JsonlWriterTest, AnonymizedTextsKeepNoLiteral) {
  nlohmann::json query =
      Record("query,c,select a from t where n = 'secret' and m = 42|1|q0'", true);
  EXPECT_EQ(query["args"], nlohmann::json({"?"}));
  EXPECT_EQ(query["query"], "select a from t where n = ? and m = ?");
  nlohmann::json connect = Record("connect,repo01,admin,,,|1|s0'", true);
  EXPECT_EQ(connect["args"], nlohmann::json({"?", "?", "?", "?", "?"}));
  nlohmann::json get = Record("get,s0,0900000180000123,object_name|1|T'", true);
  EXPECT_EQ(get["args"], nlohmann::json({"?", "?", "object_name"}));
  // The class ids are those of the texts as they were.
  EXPECT_EQ(get["class"], Record("get,s0,0900000180000123,object_name|1|T'")["class"]);
}

TEST(JsonlWriterTest, LongTextsAreCutAtCharacters) {
  std::string text(kLargeText - 1, 'a');
  text += "\xe2\x82\xac";  // a character across the piece boundary
  text += std::string(kLargeText, 'b');
  nlohmann::json record = Record("get,s0," + text + "|1|T'");
  EXPECT_EQ(record["args"][1], text);
}

}  // namespace
}  // namespace quintrel
