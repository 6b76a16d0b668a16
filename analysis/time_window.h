// TimeWindow: the calls of a time window, --since and --until: those whose
// API line's stamp is at or after the start and before the end. A bound may
// be a date and time, a time of day on the trace's first date (the date of
// the first call that carries one), or an offset from the stamp of the
// trace's first header line.
#ifndef QUINTREL_ANALYSIS_TIME_WINDOW_H_
#define QUINTREL_ANALYSIS_TIME_WINDOW_H_

#include <cstdint>
#include <string_view>

#include "analysis/stamp_clock.h"

namespace quintrel {

// One bound as given: "YYYY-MM-DDTHH:MM[:SS]", "YYYY-MM-DD HH:MM[:SS]",
// "HH:MM[:SS]", a stamp as the trace writes it ("Wed Aug  6 18:00:00 2003",
// with or without its sub-second number) or "+N" with the unit s, m or h.
struct TimeBound {
  enum class Kind {
    kTimeOfDay,   // on the trace's first date
    kDateTime,    // on `days`
    kAfterStart,  // `seconds` after the stamp of the trace's first header line
  };
  bool given = false;
  Kind kind = Kind::kTimeOfDay;
  int64_t days = 0;     // since 1970-01-01
  int64_t seconds = 0;  // the second of the day, or the offset
  // A stamp's trailing number, compared after the whole seconds; 0, the
  // least there is, for the forms without one.
  int64_t subSecond = 0;

  // Reads `text`; false when it is none of the forms or names no valid date
  // and time.
  static bool Parse(std::string_view text, TimeBound* bound);
};

class TimeWindow {
 public:
  TimeWindow() = default;
  TimeWindow(TimeBound since, TimeBound until) : since_(since), until_(until) {}

  // Whether any bound is given; without one every call is accepted.
  bool active() const { return since_.given || until_.given; }
  // The stamp of the trace's first header line, which offsets count from;
  // given before the first call. Without it, or when it names no date, an
  // offset places no call in the window.
  void setTraceStart(std::string_view stamp);
  // Whether a call whose API line has the stamp `stampText` lies in the
  // window. A stamp without a date lies in no window. The first stamp with a
  // date fixes the date of bounds without one, so every call of the trace
  // must be shown, in trace order, before any other filter.
  bool accepts(std::string_view stampText);

 private:
  // A bound placed in time: whole seconds since 1970, then the sub-second.
  struct Moment {
    int64_t seconds = 0;
    int64_t subSecond = 0;
  };
  bool place(const TimeBound& bound, int64_t firstDate, Moment* at) const;
  static bool Before(int64_t seconds, std::string_view stamp, const Moment& bound);

  TimeBound since_, until_;
  StampClock clock_;
  bool startDated_ = false;  // the trace's first stamp names a date
  Moment start_;
  bool placed_ = false;     // the bounds were placed, at the first dated call
  bool placeable_ = false;  // and every given one could be
  Moment sinceAt_, untilAt_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TIME_WINDOW_H_
