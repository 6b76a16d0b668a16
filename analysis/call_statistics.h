// CallStatistics: the per-call part of a summary: the first and last time
// stamps, the total call time, per API name the calls and their time, and the
// most expensive calls (ten for the summary reports). It copies what it keeps
// out of each call.
#ifndef QUINTREL_ANALYSIS_CALL_STATISTICS_H_
#define QUINTREL_ANALYSIS_CALL_STATISTICS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/api_table.h"
#include "analysis/profile.h"
#include "analysis/top_list.h"
#include "parse/trace_call.h"

namespace quintrel {

class CallStatistics {
 public:
  // Keeps the `topCallCount` longest calls, and the per-API rows where
  // `keepsApiRows` (the analytics reports, which have rows of their own, do
  // without them).
  explicit CallStatistics(size_t topCallCount = 10, bool keepsApiRows = true)
      : keepsApiRows_(keepsApiRows), topCallLimit_(topCallCount), topCalls_(topCallCount) {}

  // Takes an accepted call. With `mayTakeText` the call's API text is no
  // longer needed, and a long one is taken over rather than copied.
  void add(TraceCall* call, bool mayTakeText);

  // Moves the statistics into `profile` (stamps, total, API rows, top calls)
  // and leaves this object empty.
  void moveInto(Profile* profile);

  // Used by tests.
  const ApiTable& apiStatistics() const { return apiStatistics_; }

 private:
  void keepIfLong(TraceCall* call, bool mayTakeText);

  std::string startTimestamp_;
  std::string endTimestamp_;
  int64_t totalCallMillis_ = 0;
  bool keepsApiRows_;
  ApiTable apiStatistics_;
  size_t topCallLimit_;
  TopList<TopCallEntry> topCalls_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_CALL_STATISTICS_H_
