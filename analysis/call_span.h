// CallSpan: the wall-clock time that the accepted calls of a trace cover,
// from the earliest start (an API line's stamp) to the latest end (that stamp
// plus the call's duration), to the millisecond. It knows the span only when
// every call's stamp names a date.
#ifndef QUINTREL_ANALYSIS_CALL_SPAN_H_
#define QUINTREL_ANALYSIS_CALL_SPAN_H_

#include <algorithm>
#include <cstdint>
#include <limits>

namespace quintrel {

class CallSpan {
 public:
  // Takes a call that started `startMs` milliseconds after 1970-01-01.
  void add(int64_t startMs, int64_t durationMs) {
    earliest_ = std::min(earliest_, startMs);
    latest_ = std::max(latest_, startMs + durationMs);
  }
  // Takes a call whose stamp names no date.
  void addUndated() { undated_ = true; }
  // Sets `millis` to the span; false when no call was taken or one had no
  // date.
  bool span(int64_t* millis) const;
  // Takes every call `other` took.
  void merge(const CallSpan& other);

  // The parts, as a saved profile keeps them: the earliest start and the
  // latest end in ms after 1970 (the largest and the smallest int64_t
  // before the first call), and whether a call had no date.
  int64_t earliest() const { return earliest_; }
  int64_t latest() const { return latest_; }
  bool undated() const { return undated_; }
  static CallSpan Of(int64_t earliest, int64_t latest, bool undated);

 private:
  int64_t earliest_ = std::numeric_limits<int64_t>::max();  // ms after 1970
  int64_t latest_ = std::numeric_limits<int64_t>::min();
  bool undated_ = false;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_CALL_SPAN_H_
