// StampClock: the whole seconds since 1970 of call stamps, for the calls of
// a trace in order. Calls of one second share their stamp up to its
// sub-second number, so a stamp is read anew only when that part differs
// from the last two seconds read: calls of threads that overlap come back
// and forth between two seconds. It owns copies of those seconds' texts.
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
  // As secondsOf, and sets `millis` to the moment to the millisecond: the
  // stamp's last number is its microseconds, as the time split reads it.
  bool millisOf(std::string_view stamp, int64_t* seconds, int64_t* millis);
  // The days since 1970-01-01 of the date the last stamp names, when
  // secondsOf() returned true for it.
  int64_t lastDays() const { return seconds_[last_].days; }

 private:
  // A stamp read, to its whole second.
  struct Second {
    std::string text;
    int64_t seconds = 0;
    int64_t days = 0;
    bool valid = false;
  };
  // secondsOf() of a stamp whose last blank is at `blank`.
  bool read(std::string_view stamp, size_t blank, int64_t* seconds);

  Second seconds_[2];  // of the last stamp and of the one before, of another second
  int last_ = 0;       // the index of the last
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_STAMP_CLOCK_H_
