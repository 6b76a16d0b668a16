// ProfileComparison: how a run's APIs, query classes and call classes moved
// against a base run (--compare): per class the count, total, mean and p95
// of both, the change in total time and the ratio of the p95s, classes new
// and gone, ranked by the size of the change. Classes are matched by name:
// an API by its name, a query or call class by its fingerprint, from which
// its class id follows. The two runs may cover periods of different
// lengths: the base's totals are scaled to the current run's elapsed time
// before the change is taken, so that a longer period alone changes
// nothing; counts, means and percentiles are shown as measured. It owns its
// texts.
#ifndef QUINTREL_ANALYSIS_PROFILE_COMPARISON_H_
#define QUINTREL_ANALYSIS_PROFILE_COMPARISON_H_

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/class_id.h"
#include "analysis/duration_histogram.h"
#include "analysis/profile_analytics.h"

namespace quintrel {

// In the order that equal changes are ranked in: the query class says most.
enum class ComparedKind { kQuery, kCall, kApi };

struct ComparedClass {
  ComparedKind kind = ComparedKind::kApi;
  std::string name;  // the API name or the fingerprint
  bool inBase = false, inCurrent = false;
  DurationStats base, current;  // all zero where the class is absent
  // The current total less the base's scaled total, in ms.
  double changeMs = 0.0;
  // The current p95 over the base's; 0 unless both are there and the base's
  // is above 0.
  double p95Ratio = 0.0;
};

struct ProfileComparison {
  std::string baseName;  // the base's traces, as the run names them
  int64_t baseElapsedMs = 0, elapsedMs = 0;
  // What the base's totals are multiplied by: elapsedMs / baseElapsedMs,
  // 1 where either is 0.
  double scale = 1.0;
  // Ranked by the size of the change, largest first, then kind and name.
  std::vector<ComparedClass> classes;
  size_t newClasses = 0, goneClasses = 0;
};

// "api", "query" or "call"; and "new", "gone" or "both" for where a class
// is found.
const char* KindName(ComparedKind kind);
const char* PresenceName(const ComparedClass& entry);
// The p95 ratio for people: "1.19", else "new", "gone", or "-" where the
// base's p95 is 0.
std::string P95RatioText(const ComparedClass& entry);
// The kind of class id of a query or call class.
inline ClassKind ClassKindOf(ComparedKind kind) {
  return kind == ComparedKind::kQuery ? ClassKind::kQuery : ClassKind::kCall;
}

// Compares `current` against `base`.
ProfileComparison CompareProfiles(const ProfileAnalytics& base, const ProfileAnalytics& current);

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_PROFILE_COMPARISON_H_
