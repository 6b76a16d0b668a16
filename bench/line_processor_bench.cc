// Microbenchmarks of the per-line hot path: classifying a line, running the
// lines of a call through the line processor, and analysing them the way a
// run does, per kind of line and mode.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "analysis/trace_analysis.h"
#include "parse/trace_grammar.h"
#include "parse/trace_line.h"
#include "parse/trace_line_processor.h"
#include "report/detail_writer.h"
#include "tests/support/trace_lines.h"
#include "tests/support/trace_patterns.h"

namespace quintrel {
namespace {

using quintrel_test::ApiLine;
using quintrel_test::HeaderPattern;
using quintrel_test::ResultLine;
using quintrel_test::SearchAtLineStart;
using quintrel_test::TraceHeader;

const std::string kApi = ApiLine(
    "3412", "query,s0,select item_id, item_name from doc_item where owner_name = 'jsmith'", 118);
const std::string kResult = ResultLine("3412", "q0'", "0.015", 119);
const std::string kServerRpc = TraceHeader("3412", "0.000", 118) + "Server RPC: Fetch";
const std::string kContinuation = "where owner_name = 'jsmith' and modified_at > date(today)";
const std::string kMalformed =
    "# [ 3412 ] Wed Aug  6 14:03:22 2003 ( 0.000 sec) ( 118 rpc) API> get";

void BM_Classify(benchmark::State& state, const std::string& line) {
  TraceLineClassifier classifier;
  TraceLine parsed;
  for (auto _ : state) benchmark::DoNotOptimize(classifier.classify(line, &parsed));
  state.SetBytesProcessed(state.iterations() * line.size());
}
BENCHMARK_CAPTURE(BM_Classify, api, kApi);
BENCHMARK_CAPTURE(BM_Classify, result, kResult);
BENCHMARK_CAPTURE(BM_Classify, server_rpc, kServerRpc);
BENCHMARK_CAPTURE(BM_Classify, continuation, kContinuation);
BENCHMARK_CAPTURE(BM_Classify, malformed_header, kMalformed);

// The search of the header pattern that the scanner replaced, for comparison.
void BM_ClassifyWithPattern(benchmark::State& state, const std::string& line) {
  boost::cmatch match;
  for (auto _ : state) benchmark::DoNotOptimize(SearchAtLineStart(line, HeaderPattern(), &match));
  state.SetBytesProcessed(state.iterations() * line.size());
}
BENCHMARK_CAPTURE(BM_ClassifyWithPattern, api, kApi);
BENCHMARK_CAPTURE(BM_ClassifyWithPattern, result, kResult);
BENCHMARK_CAPTURE(BM_ClassifyWithPattern, server_rpc, kServerRpc);
BENCHMARK_CAPTURE(BM_ClassifyWithPattern, malformed_header, kMalformed);

size_t Bytes(const std::vector<std::string>& lines) {
  size_t bytes = 0;
  for (const std::string& line : lines) bytes += line.size() + 1;
  return bytes;
}

// One call per iteration, through the analysis a run would set up.
void BM_AnalyseCall(benchmark::State& state, std::vector<std::string> lines, OutputKind output,
                    ListingFormat listing) {
  AnalysisConfig config;
  config.output = output;
  config.listing = listing;
  std::ostringstream sink;
  DetailWriter writer(listing, &sink);
  TraceAnalysis analysis(config, &writer);
  for (auto _ : state) {
    for (const std::string& line : lines) analysis.takeLine(line);
    if (sink.tellp() > (1 << 20)) sink.str("");
  }
  state.SetBytesProcessed(state.iterations() * Bytes(lines));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_AnalyseCall, api_result_summary, {kApi, kResult}, OutputKind::kSummary,
                  ListingFormat::kRaw);
BENCHMARK_CAPTURE(BM_AnalyseCall, api_rpc_result_summary, {kApi, kServerRpc, kResult},
                  OutputKind::kSummary, ListingFormat::kRaw);
BENCHMARK_CAPTURE(BM_AnalyseCall, multiline_query_summary,
                  {kApi, kContinuation, kContinuation, kResult}, OutputKind::kSummary,
                  ListingFormat::kRaw);
BENCHMARK_CAPTURE(BM_AnalyseCall, api_result_raw, {kApi, kResult}, OutputKind::kListing,
                  ListingFormat::kRaw);
BENCHMARK_CAPTURE(BM_AnalyseCall, api_result_csv, {kApi, kResult}, OutputKind::kListing,
                  ListingFormat::kCsv);

}  // namespace
}  // namespace quintrel

BENCHMARK_MAIN();
