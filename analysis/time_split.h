// The time split of a summary: the wall-clock time between the first and the
// last accepted call's time stamps.
#ifndef QUINTREL_ANALYSIS_TIME_SPLIT_H_
#define QUINTREL_ANALYSIS_TIME_SPLIT_H_

#include <cstdint>
#include <string_view>

namespace quintrel {

enum class TimeSplitError {
  kNone,
  kNoStartTime,  // the start text holds no time stamp
  kNoEndTime,    // the end text holds no time stamp
};

struct TimeSplit {
  int64_t elapsedMs = 0;  // 0 when either stamp cannot be read
  TimeSplitError error = TimeSplitError::kNone;
};

// The milliseconds from the time stamp `start` to the time stamp `end`. The
// time of day always enters; when both stamps name a date (TimeStamp::hasDate)
// the days between them enter too, so a trace that passes midnight or lasts
// several days is measured whole. When a text holds no stamp the result is 0
// with the error set; the end text is not read when the start text failed.
TimeSplit ElapsedMillis(std::string_view start, std::string_view end);

// The message a report prints on standard output, before its first line, for
// `error`: "can't construct start time\n" or "can't construct end time\n";
// "" for kNone.
const char* TimeSplitMessage(TimeSplitError error);

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TIME_SPLIT_H_
