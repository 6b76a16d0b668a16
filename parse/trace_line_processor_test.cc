#include "parse/trace_line_processor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
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

// Feeds `lines` whole, classified first as the line scanner does, or, with a
// `pieceSize`, in pieces of that size.
void Feed(const std::vector<std::string>& lines, RecordingSink* sink,
          const RecordingPolicy& policy = RecordingPolicy(), size_t pieceSize = 0) {
  TraceLineProcessor processor;
  processor.setSink(sink);
  processor.setRecordingPolicy(policy);
  TraceLineClassifier classifier;
  TraceLine parsed;
  for (sink->position = 0; sink->position < lines.size(); ++sink->position) {
    const std::string& line = lines[sink->position];
    if (pieceSize == 0) {
      classifier.classify(line, &parsed);
      processor.processClassifiedLine(line, parsed);
      continue;
    }
    for (size_t at = 0; at == 0 || at < line.size(); at += pieceSize) {
      processor.processPiece(
          {std::string_view(line).substr(at, pieceSize), at == 0, at + pieceSize >= line.size()});
    }
  }
  processor.finish();
  processor.finish();  // delivers nothing more
}

using CallValues = std::tuple<CallState, std::string, std::string, std::string, int32_t, int64_t,
                              int32_t, std::string>;

CallValues Values(const TraceCall& call) {
  return CallValues(call.state, call.getThreadId(), call.timeStamp,
                    std::string(call.apiText.view()), call.apiRpcCount, call.durationMs,
                    call.resultRpcCount, std::string(call.resultText.view()));
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
      std::istringstream lines(sink.calls[i].getRawText());
      for (std::string line; std::getline(lines, line);) raw.push_back(line);
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

// The values and raw text of the delivered calls; with `join`, each API text
// is first extended by its continuation lines from the raw lines.
std::vector<std::pair<CallValues, std::string>> ValuesOf(const RecordingSink& sink, bool join) {
  std::vector<std::pair<CallValues, std::string>> values;
  for (TraceCall call : sink.calls) {
    if (join) call.appendContinuationToApiText();
    values.emplace_back(Values(call), call.getRawText());
  }
  return values;
}

bool Always(std::string_view) { return true; }
bool Never(std::string_view) { return false; }
// Decided only by the whole API line, as the query names are: a piece of it may
// say otherwise.
bool MentionsSelect(std::string_view text) { return text.find("select") != text.npos; }

TEST(TraceLineProcessor, LeanPoliciesKeepWhatTheirReadersRead) {
  const std::vector<std::string> lines = VariedTrace();
  RecordingSink all, summary, listing;
  Feed(lines, &all);
  Feed(lines, &summary, RecordingPolicy{false, true, true, &Always});
  Feed(lines, &listing, RecordingPolicy{false, true, false, &Never});
  ASSERT_GT(all.calls.size(), 100u);
  EXPECT_EQ(summary.at, all.at);
  EXPECT_EQ(listing.at, all.at);
  auto everything = ValuesOf(all, true), collected = ValuesOf(summary, false);
  auto lean = ValuesOf(listing, false), plain = ValuesOf(all, false);
  ASSERT_EQ(collected.size(), everything.size());
  for (size_t i = 0; i < everything.size(); ++i) {
    EXPECT_EQ(collected[i].first, everything[i].first) << i;
    EXPECT_EQ(collected[i].second, "");
    EXPECT_EQ(std::get<3>(lean[i].first), std::get<3>(plain[i].first)) << i;  // the API text
    EXPECT_EQ(std::get<7>(lean[i].first), "");                                // no result text
  }
  EXPECT_NE(everything, plain) << "no multi-line API text";
}

TEST(TraceLineProcessor, LinesInPiecesGiveWhatWholeLinesGive) {
  const std::vector<std::string> lines = VariedTrace();
  const RecordingPolicy kPolicies[] = {RecordingPolicy(),
                                       RecordingPolicy{false, true, true, &Always},
                                       RecordingPolicy{false, true, true, &MentionsSelect},
                                       RecordingPolicy{true, false, false, nullptr}};
  for (const RecordingPolicy& policy : kPolicies) {
    RecordingSink whole;
    Feed(lines, &whole, policy);
    for (size_t pieceSize : {1, 2, 3, 5, 13, 64}) {
      RecordingSink pieces;
      Feed(lines, &pieces, policy, pieceSize);
      EXPECT_EQ(pieces.at, whole.at) << pieceSize;
      EXPECT_EQ(ValuesOf(pieces, false), ValuesOf(whole, false)) << pieceSize;
    }
  }
}

// Of an API line longer than the policy keeps, the beginning is kept and the
// length counted whole, whether the line comes whole or in pieces.
TEST(TraceLineProcessor, KeepsTheBeginningOfALongApiLine) {
  const std::string text = "get,s0," + std::string(100, 'x');
  const std::vector<std::string> lines = {Line("3412", "API> " + text), Line("3412", "Res: ''"),
                                          Line("3412", "API> get,s0,y"), Line("3412", "Res: ''")};
  const struct {
    size_t kept;
    size_t length;  // of the API text kept
  } kCases[] = {{std::string::npos, text.size()}, {text.size(), text.size()}, {10, 10}, {0, 0}};
  for (const auto& c : kCases) {
    for (size_t pieceSize : {0, 1, 7, 64}) {
      RecordingSink sink;
      Feed(lines, &sink, RecordingPolicy{false, true, true, nullptr, c.kept}, pieceSize);
      ASSERT_EQ(sink.calls.size(), 2u) << c.kept << " " << pieceSize;
      EXPECT_EQ(sink.calls[0].apiLineText(), text.substr(0, c.length)) << pieceSize;
      EXPECT_EQ(sink.calls[0].apiLineSize(), text.size()) << c.kept << " " << pieceSize;
      // The next call of the thread starts afresh.
      EXPECT_EQ(sink.calls[1].apiLineText(), std::string("get,s0,y").substr(0, c.kept));
      EXPECT_EQ(sink.calls[1].apiLineSize(), 8u);
    }
  }
}

TEST(TraceLineProcessor, KeepsTheBeginningOfALongContinuedText) {
  // The API line, then continuation lines and their line feeds, up to the
  // bytes kept in all, in whole lines and in pieces alike.
  const std::string whole = "query,s0,select a,from t\nwhere " + std::string(50, 'x') + "\n";
  const std::vector<std::string> lines = {Line("3412", "API> query,s0,select a,"), "from t",
                                          "where " + std::string(50, 'x'), Line("3412", "Res: ''")};
  for (size_t kept : {std::string::npos, whole.size(), size_t{40}, size_t{18}, size_t{10}}) {
    for (size_t pieceSize : {0, 1, 7, 64}) {
      RecordingSink sink;
      Feed(lines, &sink, RecordingPolicy{false, true, true, &Always, kept}, pieceSize);
      ASSERT_EQ(sink.calls.size(), 1u) << kept << " " << pieceSize;
      EXPECT_EQ(sink.calls[0].apiText.view(), whole.substr(0, kept)) << kept << " " << pieceSize;
      EXPECT_EQ(sink.calls[0].apiLineText(), whole.substr(0, std::min<size_t>(kept, 18)));
    }
  }
}

// Stands in for the analysis's compactor: drops the continuation past its
// first 4 bytes once 8 more have come, and counts how often.
int compactions = 0;
void DropPastFour(TraceCall* call) {
  const size_t kept = call->apiLineText().size() + 4;
  call->compactAt = kept + 8;
  if (call->apiText.size() < call->compactAt) return;
  ++compactions;
  call->apiText.truncate(kept);
}

TEST(TraceLineProcessor, HasALongContinuedTextShortenedAsItGrows) {
  const std::string whole = "query,s0,select afrom t\nwhere " + std::string(50, 'x') + "\n";
  const std::vector<std::string> lines = {Line("3412", "API> query,s0,select a"), "from t",
                                          "where " + std::string(50, 'x'), Line("3412", "Res: ''")};
  for (size_t pieceSize : {0, 1, 7, 64}) {
    compactions = 0;
    RecordingSink sink;
    Feed(lines, &sink,
         RecordingPolicy{false, true, true, &Always, std::string::npos, &DropPastFour}, pieceSize);
    ASSERT_EQ(sink.calls.size(), 1u) << pieceSize;
    const std::string_view text = sink.calls[0].apiText.view();
    EXPECT_GT(compactions, 0) << pieceSize;
    EXPECT_LT(text.size(), 17u + 4 + 8) << pieceSize;
    EXPECT_EQ(text.substr(0, 21), whole.substr(0, 21)) << pieceSize;
    EXPECT_EQ(sink.calls[0].apiLineText(), "query,s0,select a");
  }
}

}  // namespace
}  // namespace quintrel
