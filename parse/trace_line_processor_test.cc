#include "parse/trace_line_processor.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/trace_lines.h"

namespace quintrel {
namespace {

using quintrel_test::kStamp;
using quintrel_test::TraceHeader;

const std::string kApi = quintrel_test::ApiLine("3412", "query,s0,select name from item", 118);
const std::string kCont = "where id = 7";
const std::string kRes =
    quintrel_test::ResultLine("3412", "q0'", "0.015", 119, "Wed Aug  6 14:03:22 2003 427345");

std::string Line(const std::string& thread, const std::string& entry) {
  return TraceHeader(thread, "0.5", 7, "Wed Aug 16 09:00:01 2003 5") + entry;
}

const std::string kRpc = Line("3412", "Server RPC: Fetch"), kSet = Line("3412", "SET> s0,title,x");
const std::string kApi2 = Line("3412", "API> get,s0,y"), kRes2 = Line("3412", "Res: 'T'");

// Copies every delivered call, with the index of the input line that was being
// processed when it arrived (the number of lines for finish()).
struct RecordingSink : TraceCallSink {
  void onCall(TraceCall* call) override {
    calls.push_back(*call);
    at.push_back(position);
  }
  std::vector<TraceCall> calls;
  std::vector<size_t> at;
  size_t position = 0;
};

void Feed(const std::vector<std::string>& lines, RecordingSink* sink,
          RawLinePolicy policy = RawLinePolicy::kAll) {
  TraceLineProcessor processor;
  processor.setSink(sink);
  processor.setRawLinePolicy(policy);
  for (sink->position = 0; sink->position < lines.size(); ++sink->position)
    processor.processLine(lines[sink->position]);
  processor.finish();
  processor.finish();  // delivers nothing more
}

using CallValues = std::tuple<CallState, std::string, std::string, std::string, int32_t, int64_t,
                              int32_t, std::string>;

CallValues Values(const TraceCall& call) {
  return CallValues(call.state, call.getThreadId(), call.timeStamp, call.apiText, call.apiRpcCount,
                    call.durationMs, call.resultRpcCount, call.resultText);
}

const CallValues k3412(Delivered, "3412", kStamp, "query,s0,select name from item", 118, 15, 119,
                       "q0'");

struct Delivery {
  size_t at;  // the line being processed when the call arrived
  std::vector<std::string> rawLines;
  CallValues values = k3412;
};

// A call of `thread` with its API line and result line only.
Delivery Call(const std::string& thread, size_t at) {
  return Delivery{at,
                  {Line(thread, "API> get,s0," + thread), Line(thread, "Res: ''")},
                  CallValues(Delivered, thread, "Wed Aug 16 09:00:01 2003 5", "get,s0," + thread, 7,
                             5, 7, "'")};
}

TEST(TraceLineProcessor, Scenarios) {
  const std::string kApi977 = Line("977", "API> get,s0,977"), kRes977 = Line("977", "Res: ''");
  const CallValues second(Delivered, "3412", "Wed Aug 16 09:00:01 2003 5", "get,s0,y", 7, 5, 7,
                          "T'");
  const struct {
    const char* name;
    std::vector<std::string> lines;
    std::vector<Delivery> expected;
  } kCases[] = {
      {"continuation line", {kApi, kCont, kRes}, {{3, {kApi, kCont, kRes}}}},
      {"server rpc drops lines up to the result",
       {kApi, kRpc, "fetch more", kRes, kSet},
       {{5, {kApi, kRpc, kSet}}}},
      {"other thread's header delivers first", {kApi, kRes, kApi977}, {{2, {kApi, kRes}}}},
      {"interleaved threads in result order",
       {kApi, kApi977, kRes, kRes977},
       {{3, {kApi, kRes}}, Call("977", 4)}},
      {"next api line of the thread delivers",
       {kApi, kRes, kCont, kApi2, kRes2},
       {{3, {kApi, kRes, kCont}}, {5, {kApi2, kRes2}, second}}},
      {"second api line without result", {kApi, kApi2, kRes}, {{3, {kApi, kApi2, kRes}}}},
      {"result of an idle thread dropped", {kRes, kApi, kRes, kApi977, kRes}, {{3, {kApi, kRes}}}},
      {"continuations before the first header", {kCont, "", kApi, kRes}, {{4, {kApi, kRes}}}},
      {"empty line while api open", {kApi, "", kRes}, {{3, {kApi, "", kRes}}}},
      {"empty line after result", {kApi, kRes, ""}, {{3, {kApi, kRes, ""}}}},
      {"empty line after server rpc", {kApi, kRpc, "", kRes}, {{4, {kApi, kRpc}}}},
      {"no result", {kApi, kCont, kApi977}, {}},
      {"ends in server rpc", {kApi, kRpc, kCont}, {}},
      {"no header at all", {kCont, ""}, {}},
      {"07 and 7 differ",
       {Line("7", "API> get,s0,7"), Line("07", "API> get,s0,07"), Line("7", "Res: ''"),
        Line("07", "Res: ''")},
       {Call("7", 3), Call("07", 4)}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    RecordingSink sink;
    Feed(c.lines, &sink);
    ASSERT_EQ(sink.calls.size(), c.expected.size());
    for (size_t i = 0; i < c.expected.size(); ++i) {
      std::vector<std::string> raw;
      for (size_t j = 0; j < sink.calls[i].rawLineCount(); ++j)
        raw.push_back(sink.calls[i].rawLine(j));
      EXPECT_EQ(std::make_tuple(sink.at[i], raw, Values(sink.calls[i])),
                std::tie(c.expected[i].at, c.expected[i].rawLines, c.expected[i].values));
    }
  }
}

// Several threads with multi-line API texts, interleaved entries, empty lines
// and lines that look like thread markers without being header lines.
std::vector<std::string> VariedTrace() {
  std::mt19937 rng(977);
  const char* const kThreads[] = {"3412", "977", "7", "07"};
  const char* const kEntries[] = {"API> query,s0,select name", "API> get,s0,", "Res: 'q", "Res: ''",
                                  "Server RPC: Fetch",         "SET> s0,",     "API>get"};
  const char* const kOthers[] = {"from item", "where id = 7", "", "# [", "# [ 3412 ] garbage"};
  std::vector<std::string> lines;
  for (int i = 0; i < 3000; ++i) {
    const std::string thread = kThreads[rng() % 4];
    const size_t k = rng() % 12;
    lines.push_back(k < 7 ? Line(thread, kEntries[k] + std::to_string(i)) : kOthers[k - 7]);
  }
  return lines;
}

// The values of the delivered calls; with `join`, each API text is first
// extended by its continuation lines, as the query tracking does.
std::vector<CallValues> ValuesOf(const RecordingSink& sink, bool join) {
  std::vector<CallValues> values;
  for (TraceCall call : sink.calls) {
    if (join) call.appendContinuationToApiText();
    values.push_back(Values(call));
  }
  return values;
}

TEST(TraceLineProcessor, LeanRawLinePoliciesKeepWhatTheirReadersRead) {
  const std::vector<std::string> lines = VariedTrace();
  RecordingSink all, continuations, none;
  Feed(lines, &all, RawLinePolicy::kAll);
  Feed(lines, &continuations, RawLinePolicy::kApiContinuations);
  Feed(lines, &none, RawLinePolicy::kNone);
  ASSERT_GT(all.calls.size(), 100u);
  EXPECT_EQ(continuations.at, all.at);
  EXPECT_EQ(none.at, all.at);
  EXPECT_EQ(ValuesOf(none, false), ValuesOf(all, false));
  EXPECT_EQ(ValuesOf(continuations, true), ValuesOf(all, true));
  EXPECT_NE(ValuesOf(all, true), ValuesOf(all, false)) << "no multi-line API text";
}

}  // namespace
}  // namespace quintrel
