// MergeableProfile: what the analysis of one or more traces found, kept
// exactly enough that two of them merge into the one the traces together
// would give: every class with its whole duration histogram, the threads
// (each named with its trace, which tells them apart across traces), the
// timeline's buckets at a width that re-buckets without loss (each with its
// histogram and its set of threads), the span of the calls, the longest
// calls, and the traces it came from. Its size grows with the classes,
// threads, buckets and distinct durations, never with the calls. From it
// follow the figures the analytics reports show (toProfile). It owns all its
// texts.
#ifndef QUINTREL_ANALYSIS_MERGEABLE_PROFILE_H_
#define QUINTREL_ANALYSIS_MERGEABLE_PROFILE_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "analysis/call_span.h"
#include "analysis/duration_histogram.h"
#include "analysis/profile.h"
#include "analysis/profile_analytics.h"

namespace quintrel {

// One trace a profile covers, as the run that read it named it.
struct SourceTrace {
  std::string name;
  uint64_t bytes = 0;
  uint64_t lines = 0;
  std::vector<std::string> filters;  // as ReportContext::filters names them
};

struct MergeableClass {
  DurationHistogram durations;
  int64_t fetches = 0;
  Example example;  // classes only; ms -1 for none
};

struct MergeableThread {
  std::string trace;  // the name of the trace it ran in; "" until named
  std::string id;
  int64_t calls = 0;
  int64_t dmclMs = 0;
  std::string first, last;  // stamps of its first and last call
};

// A session as SessionTable keeps it: its label, the user and repository
// its connect named, and the durations of its calls.
struct MergeableSession {
  std::string trace;  // as MergeableThread::trace
  std::string label;
  std::string user, repository;
  DurationHistogram durations;
};

// A timeline bucket: the durations of its calls and the threads (indexes
// into MergeableProfile::threads, ascending) that made them.
struct MergeableBucket {
  DurationHistogram durations;
  std::vector<uint32_t> threads;
};

// The calls `calls` counts in buckets of 0, 1, 2, 5, 10, 20, 50 ... ms, up
// to the longest.
std::vector<LatencyBucket> Latency(const DurationHistogram& calls);

class MergeableProfile {
 public:
  // Adds everything `other` holds, as if its traces had come after this
  // profile's. The timeline takes the width both widths divide, then widens
  // like a Timeline unless a width was fixed. Stamps are compared as the
  // time split reads them.
  void merge(const MergeableProfile& other);
  // Names `trace` as the one this profile was made from, and its threads
  // as threads of it.
  void nameTrace(const SourceTrace& trace);

  // The figures the analytics reports show.
  ProfileAnalytics analytics() const;
  // The same figures, taken from this profile, which is left empty: its
  // texts are moved and each histogram is released once its row is made.
  ProfileAnalytics takeAnalytics();
  // A profile for the analytics reports, analytics included.
  Profile toProfile() const;
  // The same, taken from this profile, which is left empty (takeAnalytics).
  Profile takeProfile();

  std::vector<SourceTrace> traces;
  std::map<std::string, MergeableClass> apis;          // by name
  std::map<std::string, MergeableClass> queryClasses;  // by fingerprint
  std::map<std::string, MergeableClass> callClasses;
  std::vector<MergeableThread> threads;  // each (trace, id) once
  // Who and where: the sessions with calls, each (trace, label) once. A
  // profile saved before they were kept has none (`hasSessions` false), and
  // neither has what it is merged into, rather than a part of them.
  std::vector<MergeableSession> sessions;
  bool hasSessions = true;
  int64_t bucketSeconds = 1;
  bool fixedWidth = false;                      // --bucket chose the width
  std::map<int64_t, MergeableBucket> timeline;  // by start / bucketSeconds
  CallSpan span;
  // The longest calls, as Profile::topCalls keeps them, at most
  // `topCallsKept` of them.
  std::vector<TopCallEntry> topCalls;
  size_t topCallsKept = 0;
  // The stamps of the first and the last accepted call, the time between
  // them (the time split's) and the time inside DMCL calls.
  std::string startStamp, endStamp;
  int64_t traceDurationMs = 0;
  int64_t dmclMs = 0;

 private:
  void mergeThreadsAndTimeline(const MergeableProfile& other);
  void mergeSessions(const MergeableProfile& other);
  // The figures of the analytics that are neither rows nor the timeline:
  // the latency, the counts and the elapsed time.
  void addTotals(ProfileAnalytics* analytics) const;
  // A profile of the stamps, times and lines, without the longest calls or
  // the analytics.
  Profile frame() const;
  void rebucket(int64_t width);
  void widen();
};

// The largest number of buckets a timeline whose width is not fixed holds.
constexpr int64_t kMaxTimelineBuckets = 120;

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_MERGEABLE_PROFILE_H_
