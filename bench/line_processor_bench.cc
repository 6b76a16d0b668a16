// Microbenchmarks of the per-line hot path: classifying a line and running
// it through the line processor, per kind of line.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "parse/trace_line.h"
#include "parse/trace_line_processor.h"

namespace quintrel {
namespace {

const char kApi[] =
    "# [ 3412 ] Wed Aug  6 14:03:22 2003 412345 ( 0.000 sec) ( 118 rpc) API> "
    "query,s0,select item_id, item_name from doc_item where owner_name = 'jsmith'";
const char kResult[] =
    "# [ 3412 ] Wed Aug  6 14:03:22 2003 427345 ( 0.015 sec) ( 119 rpc) Res: 'q0'";
const char kServerRpc[] =
    "# [ 3412 ] Wed Aug  6 14:03:22 2003 415021 ( 0.000 sec) ( 118 rpc) Server RPC: Fetch";
const char kContinuation[] = "where owner_name = 'jsmith' and modified_at > date(today)";
const char kMalformed[] = "# [ 3412 ] Wed Aug  6 14:03:22 2003 ( 0.000 sec) ( 118 rpc) API> get";

void BM_Classify(benchmark::State& state, const char* line) {
  TraceLineClassifier classifier;
  TraceLine parsed;
  for (auto _ : state) benchmark::DoNotOptimize(classifier.classify(line, &parsed));
  state.SetBytesProcessed(state.iterations() * std::string(line).size());
}
BENCHMARK_CAPTURE(BM_Classify, api, kApi);
BENCHMARK_CAPTURE(BM_Classify, result, kResult);
BENCHMARK_CAPTURE(BM_Classify, server_rpc, kServerRpc);
BENCHMARK_CAPTURE(BM_Classify, continuation, kContinuation);
BENCHMARK_CAPTURE(BM_Classify, malformed_header, kMalformed);

class CountingSink : public TraceCallSink {
 public:
  void onCall(TraceCall* call) override { benchmark::DoNotOptimize(call->durationMs); }
};

// One call per iteration: the lines of a call of the given shape.
void BM_ProcessCall(benchmark::State& state, std::vector<const char*> lines, RawLinePolicy policy) {
  TraceLineProcessor processor;
  CountingSink sink;
  processor.setSink(&sink);
  processor.setRawLinePolicy(policy);
  size_t bytes = 0;
  for (const char* line : lines) bytes += std::string(line).size() + 1;
  for (auto _ : state) {
    for (const char* line : lines) processor.processLine(line);
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_ProcessCall, api_result_summary, {kApi, kResult},
                  RawLinePolicy::kApiContinuations);
BENCHMARK_CAPTURE(BM_ProcessCall, api_result_raw, {kApi, kResult}, RawLinePolicy::kAll);
BENCHMARK_CAPTURE(BM_ProcessCall, api_rpc_result_summary, {kApi, kServerRpc, kResult},
                  RawLinePolicy::kApiContinuations);
BENCHMARK_CAPTURE(BM_ProcessCall, multiline_query_summary,
                  {kApi, kContinuation, kContinuation, kResult}, RawLinePolicy::kApiContinuations);

}  // namespace
}  // namespace quintrel

BENCHMARK_MAIN();
