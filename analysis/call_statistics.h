// CallStatistics: the per-call part of a summary: the first and last time
// stamps, the total call time, per API name the calls and their time, and the
// ten most expensive calls. It copies what it keeps out of each call.
#ifndef QUINTREL_ANALYSIS_CALL_STATISTICS_H_
#define QUINTREL_ANALYSIS_CALL_STATISTICS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/profile.h"
#include "parse/trace_call.h"

namespace quintrel {

class CallStatistics {
 public:
  // Takes an accepted call. With `mayTakeText` the call's API text is no
  // longer needed, and a long one is taken over rather than copied.
  void add(TraceCall* call, bool mayTakeText);

  // Moves the statistics into `profile` (stamps, total, API rows, top calls)
  // and leaves this object empty.
  void moveInto(Profile* profile);

  // Used by tests.
  const std::unordered_map<std::string, ApiSummaryRow>& apiStatistics() const {
    return apiStatistics_;
  }
  const std::vector<TopCallEntry>& topCalls() const { return topCalls_; }

 private:
  std::string startTimestamp_;
  std::string endTimestamp_;
  int64_t totalCallMillis_ = 0;
  // Keyed by API name; the rows' own names stay empty until reported.
  std::unordered_map<std::string, ApiSummaryRow> apiStatistics_;
  std::string key_;                     // reused lookup key
  std::vector<TopCallEntry> topCalls_;  // ascending, at most ten
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_CALL_STATISTICS_H_
