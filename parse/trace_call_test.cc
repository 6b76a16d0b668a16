#include "parse/trace_call.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace quintrel {
namespace {

const std::string kApi =
    "# [ 3412 ] Wed Aug  6 14:03:22 2003 412345 ( 0.000 sec) ( 118 rpc) API> select name";

auto Values(const TraceCall& call) {
  return std::make_tuple(call.state, call.getThreadId(), call.timeStamp,
                         std::string(call.apiText.view()), call.apiRpcCount, call.durationMs,
                         call.resultRpcCount, std::string(call.resultText.view()));
}

TraceCall WithRawLines(const std::vector<std::string>& lines) {
  TraceCall call;
  for (const std::string& line : lines) call.appendLine(line);
  return call;
}

TEST(TraceCall, AppendContinuationToApiText) {
  const std::pair<std::vector<std::string>, std::string> kCases[] = {
      {{}, "select name"},
      {{kApi}, "select name"},
      {{kApi, "from item", "where id = 7"}, "select namefrom item\nwhere id = 7\n"},
      {{kApi, "# [ 977 ] x", "from item"}, "select name"},
      {{kApi, "from item", "# [ 3412 ] y", "where id = 7"}, "select namefrom item\n"},
      {{kApi, "# [", "", "#"}, "select name# [\n\n#\n"},
  };
  for (const auto& [rawLines, apiText] : kCases) {
    TraceCall call = WithRawLines(rawLines);
    call.setApiLineText("select name");
    call.appendContinuationToApiText();
    EXPECT_EQ(call.apiText.view(), apiText) << testing::PrintToString(rawLines);
  }
}

TEST(TraceCall, ResetKeepsTheThread) {
  TraceCall call = WithRawLines({"a", std::string(100000, 'x'), "c"}), expected;
  call.setThreadId("07");
  expected.setThreadId("07");
  call.state = ResultSeen;
  call.timeStamp = "Wed Aug  6 14:03:22 2003 412345";
  call.setApiLineText("get,s0,x");
  call.resultText.assign("q0'");
  call.durationMs = call.apiRpcCount = call.resultRpcCount = 7;
  call.reset();
  EXPECT_EQ(Values(call), Values(expected));
  EXPECT_EQ(call.getRawText(), "");
  call.appendLine("d");  // recording starts afresh in the kept storage
  EXPECT_EQ(call.getRawText(), "d\n");
}

TEST(TraceCall, CopiesCarryTheRawLines) {
  EXPECT_EQ(TraceCall().getRawText(), "");
  TraceCall original = WithRawLines({"a", "b"});
  original.setThreadId("3412");
  TraceCall copy(original), target = WithRawLines({"x", "y", "z"});
  target = original;
  original.appendLine("c");
  for (const TraceCall* call : {&copy, &target}) {
    EXPECT_EQ(call->getRawText(), "a\nb\n");
    EXPECT_EQ(call->getThreadId(), "3412");
  }
}

}  // namespace
}  // namespace quintrel
