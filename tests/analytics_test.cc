// Black-box tests of the analytics reports: the JSON profile checked by a
// JSON Schema validator and against the TEXT report of the same run, exact
// figures for a small trace, and the digest's bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

// Runs quintrel with `options` for a JSON profile and a TEXT report of
// `trace` and has tests/profile_check.py compare them; "ok" when all holds.
std::string CheckProfile(const std::string& trace, const std::vector<std::string>& options,
                         int top = 50) {
  ScratchDir dir;
  const std::string json = dir.file("p.json"), text = dir.file("p.txt"), out = dir.file("out");
  std::vector<std::string> args = {trace, json, "-s", "JSON"};
  args.insert(args.end(), options.begin(), options.end());
  if (RunQuintrel(args).exitCode != 0) return "the JSON run failed";
  std::vector<std::string> textArgs = {trace, text, "-s", "TEXT"};
  for (const std::string& option : options) {
    if (option.rfind("--top", 0) != 0 && option.rfind("--bucket", 0) != 0) {
      textArgs.push_back(option);
    }
  }
  if (RunQuintrel(textArgs).exitCode != 0) return "the TEXT run failed";
  const std::string source = QUINTREL_SOURCE_DIR;
  const std::string command = "/usr/bin/python3 " + source + "/tests/profile_check.py " + source +
                              "/docs/quintrel-profile.schema.json " + json + " --top " +
                              std::to_string(top) + " --text " + text + " > " + out + " 2>&1";
  std::system(command.c_str());
  std::string result = ReadFile(out);
  if (!result.empty() && result.back() == '\n') result.pop_back();
  return result;
}

std::string HostileTrace() {
  const std::string bytes = "<&>\"'\x01\x1b\x7f\x80\xff\xc3\x28";
  const std::string big(40, '9');
  return Call("1", "get,c,<script>" + bytes) + Call("2", "query,c,select '" + bytes + "'") +
         "# [ " + big + " ] Wed Aug " + big + " " + big + ":1:1 " + big + " " + big + " ( " + big +
         "." + big + " sec) ( 1 rpc) API> x\n" + Call("3", bytes + "," + bytes);
}

// A line of `thread` at `time` on 2003-08-06 with the duration `seconds`.
std::string Line(const std::string& thread, const std::string& time, const std::string& seconds,
                 int rpc, const std::string& entry) {
  return TraceHeader(thread, seconds, rpc, "Wed Aug  6 " + time + " 2003 0") + entry + "\n";
}

// A call of `thread` whose API and result lines stand at `time`.
std::string TimedCall(const std::string& thread, const std::string& time, const std::string& api,
                      const std::string& seconds, const std::string& result = "T'") {
  return Line(thread, time, "0.000", 1, "API> " + api) +
         Line(thread, time, seconds, 2, "Res: '" + result);
}

// The text after `"key": ` in the JSON document `doc`, to the line's end.
std::string Field(const std::string& doc, const std::string& key) {
  size_t at = doc.find("\"" + key + "\": ");
  if (at == std::string::npos) return "absent";
  at += key.size() + 4;
  return doc.substr(at, doc.find('\n', at) - at);
}

TEST(Analytics, JsonProfilesAreValidAndAgreeWithTheTextReport) {
  ScratchDir dir;
  std::string thousands;
  for (int i = 0; i < 1100; ++i) thousands += Call(std::to_string(i % 7), "get,c,x");
  const std::string sample = std::string(QUINTREL_SOURCE_DIR) + "/examples/sample.trc";
  const std::string undated =
      dir.write("undated.trc",
                "# [ 1 ] Mit Mai  6 14:03:22 2003 1 ( 0.000 sec) ( 1 rpc) API> get,c,x\n"
                "# [ 1 ] Mit Mai  6 14:03:22 2003 1 ( 0.002 sec) ( 2 rpc) Res: 'T'\n");
  const struct {
    std::string trace;
    std::vector<std::string> options;
    int top;
  } kCases[] = {
      {sample, {}, 50},
      {sample, {"-r"}, 50},
      {sample, {"--threads=236,1008", "--bucket=7"}, 50},
      {sample, {"--top=3"}, 3},
      {sample, {"--top=80"}, 80},
      {dir.write("thousands.trc", thousands), {"--top=2000"}, 2000},
      {sample, {"--since", "14:04", "--until=+1m"}, 50},
      {sample, {"--since=14:03:40", "--until=2003-08-06T14:04:20"}, 50},
      {Data("many.trc"), {}, 50},
      {Data("empty.trc"), {}, 50},
      {undated, {}, 50},
      {dir.write("hostile.trc", HostileTrace()), {}, 50},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(CheckProfile(c.trace, c.options, c.top), "ok")
        << c.trace << " " << testing::PrintToString(c.options);
  }
}

TEST(Analytics, ExactFiguresOfASmallTrace) {
  // Thread 7: a query of 20 ms with three fetches of 5 ms and a close of
  // 1 ms, then the same query with another literal; thread 8: two gets.
  std::string trace =
      TimedCall("7", "10:00:00", "query,c,select a from t where n = 'x'", "0.020", "q0'");
  for (int i = 0; i < 3; ++i) trace += TimedCall("7", "10:00:01", "next,c,q0", "0.005", "T'");
  trace += TimedCall("7", "10:00:02", "close,c,q0", "0.001", "T'") +
           TimedCall("7", "10:00:03", "query,c,select a from t where n = 'y'", "0.040", "q0'") +
           TimedCall("8", "10:01:00", "get,s3,4e21100000002a11", "0.100", "T'") +
           TimedCall("8", "10:01:59", "get,s4,4e21100000002a12", "0.300", "T'");
  ScratchDir dir;
  const CliResult result = RunQuintrel({dir.write("t.trc", trace), "CONSOLE", "-s", "JSON"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string& doc = result.out;
  for (const std::string& expected : {
           std::string("\"calls\": 8,\n  \"threads\": 2,\n  \"queries\": 2"),
           std::string("\"elapsedMs\": 119300,\n  \"traceDurationMs\": 119000,\n"
                       "  \"dmclMs\": 476,\n  \"concurrency\": 0.004"),
           std::string("\"fingerprint\": \"select a from t where n = ?\",\n    \"queries\": 2,\n"
                       "    \"totalMs\": 76,\n    \"sharePct\": 15.966,\n    \"meanMs\": 38.0,\n"
                       "    \"p50Ms\": 36,\n    \"p95Ms\": 40,\n    \"p99Ms\": 40,\n"
                       "    \"maxMs\": 40,\n    \"fetches\": 4,\n    \"example\": {\n"
                       "     \"text\": \"select a from t where n = 'y'\",\n     \"ms\": 40,\n"
                       "     \"thread\": \"7\",\n     \"start\": \"Wed Aug  6 10:00:03 2003 0\""),
           std::string("\"fingerprint\": \"get,?,?\",\n    \"calls\": 2,\n    \"totalMs\": 400"),
           std::string("\"id\": \"8\",\n    \"calls\": 2,\n    \"dmclMs\": 400,\n"
                       "    \"busyPct\": 0.335"),
           std::string("\"topCalls\": {\n  \"total\": 8,"),
           std::string("\"bucketSeconds\": 1,"),
           std::string("\"start\": \"2003-08-06T10:01:59\",\n    \"calls\": 1,\n"
                       "    \"dmclMs\": 300,\n    \"threads\": 1,\n    \"maxMs\": 300"),
       }) {
    EXPECT_NE(doc.find(expected), std::string::npos) << expected << "\nin\n" << doc;
  }
}

TEST(Analytics, ClassesFoldListsLinesAndHandles) {
  // One query written four ways: over three lines, with an IN list split
  // over two, with blanks inside its list, and with 1,000 values; its
  // fetches on two connections and two collections.
  auto call = [](const std::string& api, const std::string& more, const std::string& result) {
    return ApiLine("7", api) + "\n" + more + ResultLine("7", result + "'", "0.010") + "\n";
  };
  std::string thousand = "0";
  for (int i = 1; i < 1000; ++i) thousand += ", " + std::to_string(i);
  const std::string trace =
      call("query,c,select item_id, item_name", "from doc_item\nwhere id in (1, 2)\n", "q0") +
      call("next,c,q0", "", "T") + call("close,c,q0", "", "T") +
      call("query,s1,select item_id, item_name from doc_item where id in ( 3,", " 4 )\n", "q1") +
      call("next,s1,q1", "", "T") + call("close,s1,q1", "", "T") +
      call("query,c,SELECT item_id, item_name FROM doc_item WHERE id IN (5 ,6)", "", "q2") +
      call("next,c,q2", "", "T") +
      call("query,s12,select item_id, item_name from doc_item where id in (" + thousand + ")", "",
           "q3");
  ScratchDir dir;
  const CliResult result = RunQuintrel({dir.write("t.trc", trace), "CONSOLE", "-s", "JSON"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  for (const std::string& expected : {
           std::string("\"queryClasses\": {\n  \"total\": 1,"),
           std::string("\"fingerprint\": \"select item_id, item_name from doc_item where id in "
                       "(?+)\",\n    \"queries\": 4,"),
           std::string("\"fingerprint\": \"next,?,?\",\n    \"calls\": 3,"),
           std::string("\"fingerprint\": \"close,?,?\",\n    \"calls\": 2,"),
       }) {
    EXPECT_NE(result.out.find(expected), std::string::npos) << expected << "\nin\n" << result.out;
  }
}

TEST(Analytics, ElapsedTimeRunsToTheEndOfTheCallThatEndsLast) {
  const struct {
    const char* what;
    std::string trace;
    std::string elapsed, traceDuration, concurrency, busiest;
    std::string textDuration;  // the TEXT report's, which stays as it was
  } kCases[] = {
      {"the last call lasts",
       TimedCall("1", "10:00:00", "get,c,a", "10.000") +
           TimedCall("1", "10:00:10", "get,c,b", "5.000"),
       "15000,", "10000,", "1.0", "100.0,", "10.000"},
      // Thread 1's call starts first, ends last and is completed last.
      {"a call spans the others",
       Line("1", "10:00:00", "0.000", 1, "API> get,c,a") +
           Line("2", "10:00:01", "0.000", 1, "API> get,c,b") +
           Line("2", "10:00:01", "0.500", 2, "Res: 'T'") +
           Line("1", "10:00:10", "10.000", 2, "Res: 'T'"),
       "10000,", "-1000,", "1.05", "100.0,", "-1.000"},
  };
  ScratchDir dir;
  for (const auto& c : kCases) {
    const CliResult result = RunQuintrel({dir.write("t.trc", c.trace), "CONSOLE", "-s", "JSON"});
    ASSERT_EQ(result.exitCode, 0) << c.what;
    EXPECT_EQ(Field(result.out, "elapsedMs"), c.elapsed) << c.what;
    EXPECT_EQ(Field(result.out, "traceDurationMs"), c.traceDuration) << c.what;
    EXPECT_EQ(Field(result.out, "concurrency"), c.concurrency) << c.what;
    EXPECT_EQ(Field(result.out, "busyPct"), c.busiest) << c.what;
    // The summaries keep their own time split.
    const std::string text = RunQuintrel({dir.file("t.trc"), "CONSOLE", "-s", "TEXT"}).out;
    const size_t at = text.find("Total Trace duration :");
    ASSERT_NE(at, std::string::npos) << text;
    const std::string line = text.substr(at, text.find('\n', at) - at);
    EXPECT_EQ(line.substr(line.rfind(' ') + 1), c.textDuration) << c.what;
  }
}

TEST(Analytics, LinesAreCountedAsWcCountsThem) {
  const std::string call = Call("1", "get,c,x");
  const std::pair<std::string, std::string> kCases[] = {
      {"", "0,"},
      {"\n", "1,"},
      {"x", "1,"},
      {"x\n", "1,"},
      {"x\ny", "2,"},
      {"x\n\n", "2,"},
      {"x\r\n", "1,"},
      {call, "2,"},
      {call.substr(0, call.size() - 1), "2,"},
      {call + std::string(600000, 'y') + "\n", "3,"},
  };
  ScratchDir dir;
  for (const auto& [bytes, lines] : kCases) {
    const CliResult result = RunQuintrel({dir.write("t.trc", bytes), "CONSOLE", "-s", "JSON"});
    EXPECT_EQ(Field(result.out, "lines"), lines) << testing::PrintToString(bytes.substr(0, 80));
  }
}

TEST(Analytics, JsonAndDigestRecordTheFiltersAndTop) {
  const std::string sample = std::string(QUINTREL_SOURCE_DIR) + "/examples/sample.trc";
  RunOptions thread236;
  thread236.input = "236\n";
  const struct {
    std::vector<std::string> options;
    RunOptions run;
    std::string json, digest;
  } kCases[] = {
      {{}, {}, "\"run\": {\n  \"filters\": [],\n  \"top\": 50\n }", "none   top 50"},
      {{"-r", "--until", "14:05", "--since=+10s", "--top=7"},
       {},
       "\"filters\": [\n   \"-r\",\n   \"--since=+10s\",\n   \"--until=14:05\"\n  ],\n"
       "  \"top\": 7",
       "-r, --since=+10s, --until=14:05   top 7"},
      {{"-l"},
       thread236,
       "\"filters\": [\n   \"-l (thread 236)\"\n  ],",
       "-l (thread 236)   top 50"},
  };
  for (const auto& c : kCases) {
    for (const char* format : {"JSON", "DIGEST"}) {
      std::vector<std::string> args = {sample, "CONSOLE", "-s", format};
      args.insert(args.end(), c.options.begin(), c.options.end());
      const CliResult result = RunQuintrel(args, c.run);
      ASSERT_EQ(result.exitCode, 0) << result.err;
      const std::string expected =
          format == std::string("JSON") ? c.json : "\n  filters      " + c.digest + "\n";
      EXPECT_NE(result.out.find(expected), std::string::npos) << expected << "\nin\n" << result.out;
    }
  }
}

TEST(Analytics, DigestStaysOnOneScreen) {
  std::string wide;
  for (int i = 0; i < 3000; ++i) {
    wide += Call(std::to_string(i), "api" + std::to_string(i) + ",c," + std::string(i % 300, 'x'));
  }
  ScratchDir dir;
  const std::string sample = std::string(QUINTREL_SOURCE_DIR) + "/examples/sample.trc";
  for (const std::string& trace : {sample, Data("empty.trc"), dir.write("wide.trc", wide),
                                   dir.write("h.trc", HostileTrace())}) {
    const CliResult result = RunQuintrel({trace, "CONSOLE", "-s", "DIGEST"});
    ASSERT_EQ(result.exitCode, 0) << trace;
    EXPECT_LE(std::count(result.out.begin(), result.out.end(), '\n'), 100) << trace;
    for (const char* title :
         {"\ntimeline ", "\ntop APIs (", "\nquery classes (", "\ncall classes (",
          "\nslowest calls (", "\nbusiest threads (", "\nusers (", "\nrepositories ("}) {
      EXPECT_NE(result.out.find(title), std::string::npos) << title << " in " << trace;
    }
  }
  const CliResult wideDigest = RunQuintrel({dir.file("wide.trc"), "CONSOLE", "-s", "DIGEST"});
  EXPECT_NE(wideDigest.out.find("top APIs (10 of 3000, 2990 more not shown)"), std::string::npos);
}

TEST(Analytics, DigestTakesItsWidthFromTheOptionOrColumns) {
  std::string trace;
  for (int i = 0; i < 3; ++i) {
    trace += Call("1", "query,c,select " + std::string(200, 'a') + std::to_string(i) + " from t");
  }
  ScratchDir dir;
  const std::string path = dir.write("t.trc", trace);
  const struct {
    std::vector<std::string> command;
    size_t width;
  } cases[] = {
      {{QUINTREL_BINARY, path, "CONSOLE", "-s", "DIGEST", "--width=80"}, 80},
      {{"env", "COLUMNS=90", QUINTREL_BINARY, path, "CONSOLE", "-s", "DIGEST"}, 90},
      {{"env", "COLUMNS=90", QUINTREL_BINARY, path, "CONSOLE", "-s", "DIGEST", "--width=100"}, 100},
      {{"env", "COLUMNS=x", QUINTREL_BINARY, path, "CONSOLE", "-s", "DIGEST"}, 120},
  };
  for (const auto& c : cases) {
    const CliResult result = RunCommand(c.command);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    size_t start = result.out.find("query classes (");
    std::istringstream section(result.out.substr(start, result.out.find("call classes (") - start));
    size_t widest = 0;
    for (std::string line; std::getline(section, line);) widest = std::max(widest, line.size());
    EXPECT_LE(widest, c.width) << result.out;
    EXPECT_GT(widest, c.width - 12) << result.out;
  }
}

}  // namespace
}  // namespace quintrel_test
