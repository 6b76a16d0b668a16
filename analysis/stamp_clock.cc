#include "analysis/stamp_clock.h"

#include "analysis/time_stamp.h"

namespace quintrel {

bool StampClock::secondsOf(std::string_view stamp, int64_t* seconds) {
  std::string_view second = stamp.substr(0, stamp.rfind(' '));
  if (second != lastSecondText_) {
    TimeStamp read;
    lastValid_ = TimeStamp::ReadHeaderStamp(stamp, &read) && read.hasDate();
    lastSeconds_ = lastValid_ ? read.secondsSinceEpoch() : 0;
    lastDays_ = lastValid_ ? read.daysSinceEpoch() : 0;
    lastSecondText_.assign(second);
  }
  *seconds = lastSeconds_;
  return lastValid_;
}

}  // namespace quintrel
