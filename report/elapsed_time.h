// The wall-clock time between two trace time stamps.
#ifndef QUINTREL_REPORT_ELAPSED_TIME_H_
#define QUINTREL_REPORT_ELAPSED_TIME_H_

#include <cstdint>
#include <string>

namespace quintrel {

// Milliseconds from the time stamp `start` to the time stamp `end`, texts
// such as "Wed Aug  6 14:03:22 2003 412345" (the last number counts
// microseconds). The time of day always enters; when both texts name their
// month by its English abbreviation (Jan to Dec) with a plausible day and
// year, the days between the two dates enter too, so a trace that passes
// midnight or lasts several days is measured whole. When a text cannot be
// read, prints "can't construct start time\n" or "can't construct end time\n"
// on standard output and returns 0.
int64_t elapsedMillis(const std::string& start, const std::string& end);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_ELAPSED_TIME_H_
