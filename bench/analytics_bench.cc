// Microbenchmarks of the analytics per call: the work the analytics thread
// does for each accepted call (fingerprint, classes, threads, timeline), and
// the same through the AnalyticsWorker, hand-over included. Items are calls.
//
// Instructions per call: run it under callgrind, one benchmark at a time,
//   valgrind --tool=callgrind --separate-threads=yes
//     ./quintrel_analytics_bench --benchmark_filter=BM_Worker
// then `callgrind_annotate --inclusive=yes` on each thread's file: the
// worker thread's total plus the caller's AnalyticsWorker::addCall and
// moveInto, divided by the items (calls) the benchmark reports.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/analytics.h"
#include "analysis/analytics_worker.h"
#include "analysis/profile.h"

namespace quintrel {
namespace {

struct SampleCall {
  std::string text, thread, stamp;
  int64_t durationMs;
  std::string opened;  // the session a connect call opens
};

// Calls as a busy trace has them: a few APIs on objects and collections,
// ten threads, stamps a few calls apart, mostly short durations, and a
// connect call now and then that opens one of the sessions again.
std::vector<SampleCall> SampleCalls() {
  const char* kApis[] = {"fetch,s%d,4e2110ca724f%04x", "get,s%d,4e2110ca724f%04x,object_name",
                         "next,s%d,q%d", "set,s%d,4e2110ca724f%04x,title",
                         "save,s%d,4e2110ca724f%04x"};
  std::vector<SampleCall> calls;
  char text[96], stamp[64];
  for (int n = 0; n < 4096; ++n) {
    std::snprintf(text, sizeof text, kApis[n % 5], n % 7, (n * 7919) & 0xFFFF);
    std::snprintf(stamp, sizeof stamp, "Wed Aug  6 09:%02d:%02d 2003 %06d", n / 600 % 60,
                  n / 10 % 60, n * 37 % 1000000);
    int64_t ms = (n * 31) % 97 == 0 ? 100 + n % 900 : n % 23;
    std::string opened;
    if (n % 512 == 0) {
      std::snprintf(text, sizeof text, "connect,repo%d,user%d,,,", n % 3, n % 11);
      opened = "s" + std::to_string(n % 7);
    }
    calls.push_back(SampleCall{text, std::to_string(3400 + n % 10), stamp, ms, opened});
  }
  return calls;
}

CallFacts FactsOf(const SampleCall& call) {
  return CallFacts{call.text, call.thread, call.stamp, call.durationMs, call.opened, {}, {}, {}};
}

void BM_Analytics(benchmark::State& state) {
  std::vector<SampleCall> calls = SampleCalls();
  Analytics analytics(0);
  size_t next = 0;
  for (auto _ : state) {
    analytics.addCall(FactsOf(calls[next]));
    next = (next + 1) % calls.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Analytics);

// Whole runs of 4,096 calls, from the hand-over to the profile.
void BM_Worker(benchmark::State& state) {
  std::vector<SampleCall> calls = SampleCalls();
  for (auto _ : state) {
    AnalyticsWorker worker(0);
    for (const SampleCall& call : calls) worker.addCall(FactsOf(call));
    Profile profile;
    worker.moveInto(&profile, false);
    benchmark::DoNotOptimize(profile.analytics.calls);
  }
  state.SetItemsProcessed(state.iterations() * calls.size());
}
BENCHMARK(BM_Worker)->UseRealTime();

}  // namespace
}  // namespace quintrel

BENCHMARK_MAIN();
