// ProfileAnalytics: where the time of a trace went, by kind and over time:
// per API, per query class and call class the counts, totals and
// percentiles; per thread the calls and busy time; the timeline. It is part
// of the Profile for the reports that show it (JSON, the digest, the
// dashboard) and owns all its texts.
#ifndef QUINTREL_ANALYSIS_PROFILE_ANALYTICS_H_
#define QUINTREL_ANALYSIS_PROFILE_ANALYTICS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/duration_histogram.h"

namespace quintrel {

// The worst member of a class: its text (cut to kMaxExample bytes), time,
// thread and start stamp.
struct Example {
  std::string text;
  int64_t ms = -1;
  std::string thread;
  std::string start;
};

constexpr size_t kMaxExample = 2000;

// An API, a query class or a call class, with its statistics. `name` is the
// API name or the fingerprint.
struct ClassRow {
  std::string name;
  DurationStats stats;
  int64_t fetches = 0;  // query classes: the next and close calls counted
  Example example;      // classes only
};

// A session: its calls, under its handle (with " #2" and so on where a
// handle names another session later), and the user and repository of the
// connect call that opened it.
struct SessionRow {
  ClassRow figures;
  std::string user;
  std::string repository;
};

struct ThreadRow {
  std::string id;
  int64_t calls = 0;
  int64_t dmclMs = 0;
  std::string first;  // stamps of its first and last call
  std::string last;
};

// The calls that started within one bucket of wall-clock time, and how
// long they took: the mean and the exact percentiles of their durations.
struct TimelineBucket {
  int64_t start = 0;  // seconds since 1970-01-01
  int64_t calls = 0;
  int64_t dmclMs = 0;
  int64_t threads = 0;  // distinct
  int64_t maxMs = 0;
  double meanMs = 0.0;
  int64_t p50Ms = 0, p95Ms = 0, p99Ms = 0;
};

// The calls whose duration lies in [fromMs, toMs).
struct LatencyBucket {
  int64_t fromMs = 0;
  int64_t toMs = 0;
  int64_t calls = 0;
};

struct ProfileAnalytics {
  // Lists ranked by total time, then count, both descending, then name.
  std::vector<ClassRow> apis;
  std::vector<ClassRow> queryClasses;
  std::vector<ClassRow> callClasses;
  std::vector<ThreadRow> threads;
  // Who and where: the calls by user, by repository and by session (see
  // SessionTable), ranked as the classes are.
  std::vector<ClassRow> users;
  std::vector<ClassRow> repositories;
  std::vector<SessionRow> sessions;
  // In time order, empty buckets included unless there would be more than
  // kMaxFilledBuckets of them.
  int64_t bucketSeconds = 0;
  std::vector<TimelineBucket> timeline;
  // Every accepted call by duration, in buckets 0, 1, 2, 5, 10, 20, 50 ... ms.
  std::vector<LatencyBucket> latency;
  int64_t calls = 0;    // accepted calls
  int64_t queries = 0;  // query records
  // The wall-clock time of the accepted calls, from the earliest start to
  // the latest end (start plus duration), so that no thread is busier than
  // it; when a stamp names no date, the time split's elapsed time.
  int64_t elapsedMs = 0;
};

constexpr size_t kMaxFilledBuckets = 10000;

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_PROFILE_ANALYTICS_H_
