// StampClock: the whole seconds since 1970 of call stamps, for the calls of
// a trace in order. Calls of one second share their stamp up to its
// sub-second number, so a stamp is read anew only when that part changes.
// It owns a copy of the last stamp's second.
#ifndef QUINTREL_ANALYSIS_STAMP_CLOCK_H_
#define QUINTREL_ANALYSIS_STAMP_CLOCK_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace quintrel {

class StampClock {
 public:
  // Sets `seconds` to the moment of the header stamp `stamp` to its whole
  // second; false for a stamp without a date, or none.
  bool secondsOf(std::string_view stamp, int64_t* seconds);
  // The days since 1970-01-01 of the date the last stamp names, when
  // secondsOf() returned true for it.
  int64_t lastDays() const { return lastDays_; }

 private:
  std::string lastSecondText_;  // the last stamp, to its whole second
  int64_t lastSeconds_ = 0;
  int64_t lastDays_ = 0;
  bool lastValid_ = false;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_STAMP_CLOCK_H_
