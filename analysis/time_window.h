// TimeWindow: the calls of a time window, --since and --until: those whose
// API line's stamp is at or after the start and before the end. A bound may
// be a date and time, or a time of day on the trace's first date: the date
// of the first call that carries one.
#ifndef QUINTREL_ANALYSIS_TIME_WINDOW_H_
#define QUINTREL_ANALYSIS_TIME_WINDOW_H_

#include <cstdint>
#include <string_view>

#include "analysis/stamp_clock.h"

namespace quintrel {

// One bound as given: "YYYY-MM-DDTHH:MM:SS", "YYYY-MM-DD HH:MM:SS" or
// "HH:MM:SS".
struct TimeBound {
  bool given = false;
  bool hasDate = false;
  int64_t days = 0;  // since 1970-01-01, with a date
  int64_t secondOfDay = 0;

  // Reads `text`; false when it is none of the three forms or names no
  // valid date and time.
  static bool Parse(std::string_view text, TimeBound* bound);
};

class TimeWindow {
 public:
  TimeWindow() = default;
  TimeWindow(TimeBound since, TimeBound until) : since_(since), until_(until) {}

  // Whether any bound is given; without one every call is accepted.
  bool active() const { return since_.given || until_.given; }
  // Whether a call whose API line has the stamp `stampText` lies in the
  // window. A stamp without a date lies in no window. The first stamp with a
  // date fixes the date of bounds without one, so every call of the trace
  // must be shown, in trace order, before any other filter.
  bool accepts(std::string_view stampText);

 private:
  int64_t secondsOf(const TimeBound& bound) const;

  TimeBound since_, until_;
  StampClock clock_;
  bool firstDateKnown_ = false;
  int64_t firstDate_ = 0;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TIME_WINDOW_H_
