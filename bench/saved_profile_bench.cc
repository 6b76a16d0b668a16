// Microbenchmarks of a merge of saved profiles: reading one document into
// the parts a merge takes, and reading it and adding it to a running total,
// as `--merge` does for each saved profile. The document is that of a
// profile shaped like the bench trace's: thousands of call classes with
// short histograms and an example each, a timeline, sessions and the longest
// calls. Items are profiles, bytes those of the document (zstd aside).
//
// Instructions per profile: run it under callgrind, one benchmark at a time,
//   valgrind --tool=callgrind ./quintrel_saved_profile_bench
//     --benchmark_filter=BM_ReadAndMerge --benchmark_min_time=0.1
// and divide the total by the items the benchmark reports.

#include <benchmark/benchmark.h>
#include <zstd.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

#include "analysis/class_batch.h"
#include "analysis/mergeable_profile.h"
#include "analysis/profile_total.h"
#include "report/saved_profile_reader.h"
#include "report/saved_profile_writer.h"

namespace quintrel {
namespace {

// `count` (ms, times) pairs from `first` on, most of them short.
void Fill(DurationHistogram* durations, int64_t first, int count) {
  for (int n = 0; n < count; ++n) durations->add(first + n * n % 997, 1 + n % 3);
}

MergeableProfile SampleProfile() {
  MergeableProfile profile;
  profile.traces = {SourceTrace{"bench.trc", 60000000, 700000, {}}};
  profile.startStamp = "Wed Aug  6 09:00:00 2003 071208";
  profile.endStamp = "Wed Aug  6 10:26:38 2003 353660";
  char text[128], stamp[64];
  for (int n = 0; n < 3000; ++n) {
    std::snprintf(text, sizeof text, "checkin,s%d,4e2110%010x,c:\\temp\\file%d.doc", n % 14, n, n);
    std::snprintf(stamp, sizeof stamp, "Wed Aug  6 09:%02d:%02d 2003 %06d", n / 60 % 60, n % 60,
                  n * 37 % 1000000);
    MergeableClass& entry = profile.callClasses[std::string(text, 40) + std::to_string(n)];
    Fill(&entry.durations, n % 50, 2 + n % 9);
    entry.example = Example{text, entry.durations.maxMs(), std::to_string(3400 + n % 14), stamp};
  }
  for (int n = 0; n < 40; ++n)
    Fill(&profile.queryClasses["select ?" + std::to_string(n)].durations, 0, 150);
  for (int n = 0; n < 20; ++n) Fill(&profile.apis["api" + std::to_string(n)].durations, 0, 300);
  for (int n = 0; n < 14; ++n) {
    profile.threads.push_back({"bench.trc", std::to_string(3400 + n), 1000, 5000, stamp, stamp});
    MergeableSession session{"bench.trc", "s" + std::to_string(n), "user", "repo", {}};
    Fill(&session.durations, 0, 500);
    profile.sessions.push_back(std::move(session));
  }
  for (int n = 0; n < 87; ++n) {
    MergeableBucket& bucket = profile.timeline[1060160400 / 60 + n];
    Fill(&bucket.durations, 0, 220);
    for (uint32_t thread = 0; thread < 14; ++thread) bucket.threads.push_back(thread);
  }
  profile.bucketSeconds = 60;
  profile.topCallsKept = 1000;
  for (int n = 0; n < 1000; ++n) {
    profile.topCalls.push_back(
        TopCallEntry{TextBuffer("next,s12,q43"), 1000.0 + n, std::to_string(3400 + n % 14), stamp});
  }
  return profile;
}

// The document of SampleProfile(), out of its zstd frame.
std::string SampleDocument() {
  std::ostringstream framed;
  WriteSavedProfile(SampleProfile(), framed);
  std::string frame = framed.str();
  std::string text(ZSTD_getFrameContentSize(frame.data(), frame.size()), '\0');
  text.resize(ZSTD_decompress(text.data(), text.size(), frame.data(), frame.size()));
  return text;
}

void BM_Read(benchmark::State& state) {
  const std::string text = SampleDocument();
  MergeableProfile rest;
  ClassBatch classes;
  std::string error;
  for (auto _ : state) {
    if (!ReadSavedProfile(text, &rest, &classes, &error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(classes.counts.data());
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(int64_t(state.iterations() * text.size()));
}
BENCHMARK(BM_Read);

void BM_ReadAndMerge(benchmark::State& state) {
  const std::string text = SampleDocument();
  MergeableProfile rest;
  ClassBatch classes;
  ProfileTotal total;
  std::string error;
  for (auto _ : state) {
    if (!ReadSavedProfile(text, &rest, &classes, &error)) state.SkipWithError(error.c_str());
    total.add(&rest, classes);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(int64_t(state.iterations() * text.size()));
  benchmark::DoNotOptimize(total.take());
}
BENCHMARK(BM_ReadAndMerge);

}  // namespace
}  // namespace quintrel

BENCHMARK_MAIN();
