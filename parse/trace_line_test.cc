#include "parse/trace_line.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "parse/trace_call.h"
#include "parse/trace_grammar.h"
#include "parse/trace_line_processor.h"
#include "tests/support/mutated_lines.h"
#include "tests/support/trace_lines.h"
#include "tests/support/trace_patterns.h"

namespace quintrel {
namespace {

using quintrel_test::HeaderPattern;
using quintrel_test::SearchAtLineStart;
using quintrel_test::ThreadPattern;

const std::string kHead = quintrel_test::TraceHeader("3412", "0.000", 118);
const std::string kApi = kHead + "API> query,s0,select name from item";
const std::string kRes =
    "# [ 3412 ] Wed Aug  6 14:03:22 2003 427345 ( 0.015 sec) ( 119 rpc) Res: 'q0'";

auto ApiValues(const TraceCall& call) {
  return std::make_tuple(call.timeStamp, call.apiRpcCount, std::string(call.apiText.view()));
}
auto ResultValues(const TraceCall& call) {
  return std::make_tuple(std::string(call.resultText.view()), call.durationMs, call.resultRpcCount);
}

// Classifies `line` with the classifier's single header search and checks that
// kind and values are those of the seven patterns applied one by one, the way
// the pattern reader applies them. Returns the classification.
TraceLine ExpectSameAsPatterns(const std::string& line) {
  SCOPED_TRACE(testing::PrintToString(line));
  TraceLine got;
  const bool header = TraceLineClassifier().classify(line, &got);
  quintrel_test::PatternReader patterns;
  boost::cmatch m, thread;
  TraceCall fresh, api, result;
  patterns.parseApiLine(line, &api);
  const bool isResult = patterns.parseResultLine(line, &result);
  const bool headerFound = SearchAtLineStart(line, HeaderPattern(), &m);
  EXPECT_EQ(header, headerFound);
  EXPECT_EQ((std::vector<bool>{got.kind == LineKind::kApi, got.kind == LineKind::kResult,
                               got.kind == LineKind::kSet, got.kind == LineKind::kServerRpc}),
            (std::vector<bool>{patterns.isApiLine(line), isResult, patterns.isSetLine(line),
                               patterns.isServerRpcLine(line)}));
  // A line that does not fit leaves the call as it was.
  const std::string text(got.entryText);
  EXPECT_EQ(ApiValues(api),
            got.kind != LineKind::kApi
                ? ApiValues(fresh)
                : std::make_tuple(std::string(got.timeStamp), ReadTraceNumber(got.rpcCount), text));
  EXPECT_EQ(ResultValues(result),
            got.kind != LineKind::kResult
                ? ResultValues(fresh)
                : std::make_tuple(text, CallDurationMillis(got.seconds, got.fraction),
                                  ReadTraceNumber(got.rpcCount)));
  // The thread marker read by hand is the one ThreadPattern finds.
  std::string_view id;
  const bool marker = SearchAtLineStart(line, ThreadPattern(), &thread);
  EXPECT_EQ(ExtractThreadId(line, &id), marker);
  if (marker) {
    EXPECT_EQ(id, thread.str(1));
  }
  if (!header || !headerFound) return got;
  EXPECT_EQ(
      std::tie(got.threadId, got.timeStamp, got.seconds, got.fraction, got.rpcCount, got.entry),
      std::make_tuple(m.str(1), m.str(2), m.str(3), m.str(4), m.str(5), m.str(6)));
  EXPECT_TRUE(marker);
  EXPECT_EQ(got.threadId, thread.str(1));
  return got;
}

TEST(TraceLineClassifier, ExampleAndEdgeLines) {
  const struct {
    std::string line;
    LineKind kind;
    std::string threadId = "", entryText = "";
  } kCases[] = {
      {kApi, LineKind::kApi, "3412", "query,s0,select name from item"},
      {"where id = 7", LineKind::kContinuation},
      {"", LineKind::kContinuation},
      {"# [ 3412 ] Wed Aug  6 14:03:22 2003 415021 ( 0.000 sec) ( 118 rpc) Server RPC: Fetch",
       LineKind::kServerRpc, "3412", "Fetch"},
      {kRes, LineKind::kResult, "3412", "q0'"},
      {"# [ 3412 ] Wed Aug  6 14:03:23 2003 002118 ( 1.250 sec) ( 119 rpc) SET> s0,title,x",
       LineKind::kSet, "3412", "s0,title,x"},
      {"# [ 977 ] Wed Aug 16 09:00:01 2003 5 ( 0.5 sec) ( 7 rpc) API> get,s0,x", LineKind::kApi,
       "977", "get,s0,x"},
      {"# [ 977 ] Wed Aug 16 09:00:01 2003 5 ( 0.5 sec) ( 7 rpc) Res: ''", LineKind::kResult, "977",
       "'"},
      {kHead + "API>get", LineKind::kOtherHeader, "3412", "API>get"},
      {kHead + "api> get", LineKind::kOtherHeader, "3412", "api> get"},
      {kHead + "res: 'q0'", LineKind::kOtherHeader, "3412", "res: 'q0'"},
      {kHead + "Res: q0", LineKind::kOtherHeader, "3412", "Res: q0"},
      {kHead, LineKind::kOtherHeader, "3412", ""},
      {"# [ 3 ] Wed Aug\t6 14:03:22 2003 1 ( 0.0 sec) ( 1 rpc) API> x", LineKind::kApi, "3", "x"},
      {"# [ 3 ] Wed Aug   6 14:03:22 2003 1 ( 0.0 sec) ( 1 rpc) API> x", LineKind::kContinuation},
      {"# [ 3 ] Wed Aug  6 14:03:22 2003 ( 0.0 sec) ( 1 rpc) API> x", LineKind::kContinuation},
      {"# [ 3 ] Wed Aug  6 14:03:22 2003 1 (0.0 sec) ( 1 rpc) API> x", LineKind::kContinuation},
      {" " + kApi, LineKind::kContinuation},
      {"x\f" + kApi, LineKind::kContinuation},
      {"\r" + kApi, LineKind::kContinuation},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(c.line));
    const TraceLine got = ExpectSameAsPatterns(c.line);
    EXPECT_EQ(std::make_tuple(got.kind, std::string(got.threadId), std::string(got.entryText)),
              std::make_tuple(c.kind, c.threadId, c.entryText));
  }
}

TEST(TraceLineClassifier, GeneratedAndMutatedLinesMatchThePatterns) {
  std::mt19937 rng(20030806);
  std::map<LineKind, int> kinds;
  for (int i = 0; i < 5000 && !HasFailure(); ++i) {
    std::string line = quintrel_test::ValidHeaderLine(rng);
    for (size_t n = rng() % 4; n > 0; --n) line = quintrel_test::MutateLine(line, rng);
    ++kinds[ExpectSameAsPatterns(line).kind];
  }
  for (LineKind kind : {LineKind::kContinuation, LineKind::kApi, LineKind::kResult, LineKind::kSet,
                        LineKind::kServerRpc, LineKind::kOtherHeader})
    EXPECT_GT(kinds[kind], 100) << "kind " << static_cast<int>(kind) << " barely generated";
}

TEST(ReadTraceNumber, ReadsDecimalClampedToInt32AndDurations) {
  // Leading zeros do not make an octal number.
  const std::pair<std::string, int32_t> kCases[] = {{"000118", 118},
                                                    {"2147483647", 2147483647},
                                                    {"2147483648", 2147483647},
                                                    {std::string(40, '9'), 2147483647},
                                                    {"000000000000002147483647", 2147483647},
                                                    {"12a3", 12}};
  for (const auto& [digits, value] : kCases) EXPECT_EQ(ReadTraceNumber(digits), value) << digits;
  // A call's duration: the fraction counts as milliseconds, unscaled.
  const std::tuple<const char*, const char*, int64_t> kDurations[] = {
      {"0", "015", 15},
      {"1", "250", 1250},
      {"0", "5", 5},
      {"0", "0155", 155},
      {"2147484", "000", 2147484000},
      {"99999999999", "99999999999", 2147483647LL * 1000 + 2147483647}};
  for (const auto& [seconds, fraction, millis] : kDurations)
    EXPECT_EQ(CallDurationMillis(seconds, fraction), millis) << seconds << "." << fraction;
}

}  // namespace
}  // namespace quintrel
