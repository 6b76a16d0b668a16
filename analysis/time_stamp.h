// TimeStamp: the fields of a trace time stamp such as
// "Wed Aug  6 14:03:22 2003 412345", read by hand as the stamp pattern of the
// trace grammar reads it.
#ifndef QUINTREL_ANALYSIS_TIME_STAMP_H_
#define QUINTREL_ANALYSIS_TIME_STAMP_H_

#include <cstdint>
#include <string_view>

namespace quintrel {

struct TimeStamp {
  int64_t hours = 0, minutes = 0, seconds = 0;
  int64_t micros = 0;  // the trailing sub-second number
  int month = 0;       // 1 to 12, or 0 when the month word is no English abbreviation
  int64_t day = 0, year = 0;

  // Reads the first stamp found anywhere in `text`; false when there is none.
  static bool Read(std::string_view text, TimeStamp* stamp);
  // Reads the stamp of a header line, which is nothing but a stamp: the same
  // as Read, without a search.
  static bool ReadHeaderStamp(std::string_view stamp, TimeStamp* out);
  // 1 to 12 for an English month abbreviation ("Aug"), 0 for any other word.
  static int MonthOf(std::string_view word);
  // Whether the stamp names a date: an English month, a day from 1 to 31 and
  // a year from 1 to 9999. The bounds keep day counts far from overflowing.
  bool hasDate() const;
  // Days since 1970-01-01 of the date (proleptic Gregorian); only for stamps
  // with a date.
  int64_t daysSinceEpoch() const;
  // Seconds since 1970-01-01 00:00:00 of the date and time of day; only for
  // stamps with a date.
  int64_t secondsSinceEpoch() const;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TIME_STAMP_H_
