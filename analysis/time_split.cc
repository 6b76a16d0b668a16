#include "analysis/time_split.h"

#include "analysis/time_stamp.h"

namespace quintrel {

TimeSplit ElapsedMillis(std::string_view start, std::string_view end) {
  TimeStamp from, to;
  if (!TimeStamp::Read(start, &from)) return {0, TimeSplitError::kNoStartTime};
  if (!TimeStamp::Read(end, &to)) return {0, TimeSplitError::kNoEndTime};
  int64_t millis = (((to.hours - from.hours) * 60 + (to.minutes - from.minutes)) * 60 +
                    (to.seconds - from.seconds)) *
                       1000 +
                   (to.micros - from.micros) / 1000;
  if (from.hasDate() && to.hasDate()) {
    millis += (to.daysSinceEpoch() - from.daysSinceEpoch()) * 86400000;
  }
  return {millis, TimeSplitError::kNone};
}

const char* TimeSplitMessage(TimeSplitError error) {
  switch (error) {
    case TimeSplitError::kNoStartTime:
      return "can't construct start time\n";
    case TimeSplitError::kNoEndTime:
      return "can't construct end time\n";
    case TimeSplitError::kNone:
      break;
  }
  return "";
}

}  // namespace quintrel
