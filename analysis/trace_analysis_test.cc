#include "analysis/trace_analysis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/trace_lines.h"

namespace quintrel {
namespace {

using quintrel_test::ApiLine;
using quintrel_test::ResultLine;

// Receives the listing: each call's thread, API text and raw lines.
struct ListingSink : TraceCallSink {
  void onCall(TraceCall* call) override {
    text += call->getThreadId() + "|" + std::string(call->apiText.view()) + "|" +
            std::string(call->rawText()) + ";";
  }
  std::string text;
};

// What a profile says that the line path decides.
std::string Describe(const Profile& profile) {
  std::string text = std::to_string(profile.lines) + "|" + std::to_string(profile.totalCallMillis) +
                     "|" + profile.startTimestamp + "|" + profile.endTimestamp + "|";
  for (const ApiSummaryRow& row : profile.apiSummary) {
    text += std::string(row.apiName) + "=" + std::to_string(row.frequency) + ",";
  }
  for (size_t i = 0; i < profile.queries.size(); ++i) {
    text += std::string(profile.queries.at(i).queryText) + ";";
  }
  return text;
}

// A trace with queries over several lines, a line too long to be held whole,
// a header whose thread id arrives in pieces, and lines before any header.
std::vector<std::string> Trace() {
  std::vector<std::string> lines = {"a preamble", ""};
  for (int i = 0; i < 40; ++i) {
    std::string thread = std::to_string(i % 3);
    lines.push_back(ApiLine(thread, "query,s0,select a", 2 * i));
    lines.push_back("  from t" + std::string(i == 7 ? 5000 : 1, 'x'));
    lines.push_back(ResultLine(thread, "q" + std::to_string(i % 4) + "'", "0.010", 2 * i + 1));
    lines.push_back(ApiLine(thread, "next,s0,q" + std::to_string(i % 4), 2 * i + 1));
    lines.push_back(ResultLine(thread, "1'", "0.002", 2 * i + 1));
  }
  lines.push_back("# [ " + std::string(3000, '4') + " ] not a whole header");
  return lines;
}

// Feeds `lines` as the scanner hands them over: classified whole lines, or
// every line longer than `pieceSize` in pieces of that size.
void Feed(TraceAnalysis* analysis, const std::vector<std::string>& lines, size_t pieceSize) {
  TraceLineClassifier classifier;
  for (const std::string& line : lines) {
    TraceLine parsed;
    if (line.size() <= pieceSize) {
      classifier.classify(line, &parsed);
      analysis->take(LinePiece{line, true, true}, parsed);
      continue;
    }
    for (size_t at = 0; at < line.size(); at += pieceSize) {
      analysis->take(LinePiece{std::string_view(line).substr(at, pieceSize), at == 0,
                               at + pieceSize >= line.size()},
                     parsed);
    }
  }
}

TEST(TraceAnalysisTest, LinesInPiecesGiveWhatWholeLinesGive) {
  const std::vector<std::string> lines = Trace();
  AnalysisConfig summary, listing;
  listing.output = OutputKind::kListing;
  listing.listing = ListingFormat::kRaw;
  std::string expectedProfile, expectedListing;
  for (size_t pieceSize : {size_t{1} << 20, size_t{4096}, size_t{100}, size_t{16}}) {
    SCOPED_TRACE(pieceSize);
    TraceAnalysis profiled(summary, nullptr);
    Feed(&profiled, lines, pieceSize);
    EXPECT_EQ(profiled.headerLines(), 160u);
    std::string profile = Describe(profiled.finish());
    ListingSink sink;
    TraceAnalysis listed(listing, &sink);
    Feed(&listed, lines, pieceSize);
    listed.finish();
    if (expectedProfile.empty()) {
      expectedProfile = profile;
      expectedListing = sink.text;
      EXPECT_NE(profile.find(std::to_string(lines.size()) + "|"), std::string::npos);
      continue;
    }
    EXPECT_EQ(profile, expectedProfile);
    EXPECT_EQ(sink.text, expectedListing);
  }
}

TEST(TraceAnalysisTest, TakeLineClassifiesAsTheScannerDoes) {
  const std::vector<std::string> lines = Trace();
  TraceAnalysis taken(AnalysisConfig(), nullptr), fed(AnalysisConfig(), nullptr);
  for (const std::string& line : lines) taken.takeLine(line);
  Feed(&fed, lines, size_t{1} << 20);
  EXPECT_EQ(Describe(taken.finish()), Describe(fed.finish()));
}

}  // namespace
}  // namespace quintrel
