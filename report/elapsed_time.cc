#include "report/elapsed_time.h"

#include <boost/regex.hpp>
#include <cstdio>
#include <string_view>

#include "parse/trace_patterns.h"

namespace quintrel {

namespace {

// Matches where the plain time-of-day pattern
// "\w+ \w+[[:space:]]{1,2}\d+ (h):(m):(s) [[:digit:]]+ (u)" matches; the extra
// groups only capture the month, the day and the year as well.
const boost::regex& TimeStampPattern() {
  static const boost::regex pattern(
      "\\w+ (\\w+)[[:space:]]{1,2}(\\d+) ([[:digit:]]+):([[:digit:]]+):([[:digit:]]+) "
      "([[:digit:]]+) ([[:digit:]]+)");
  return pattern;
}

struct TimeStamp {
  int64_t hours, minutes, seconds, micros;
  int month;  // 1 to 12, or 0 when the month word is no English abbreviation
  int64_t day, year;
};

int32_t Number(const boost::smatch& match, int group) {
  return ReadTraceNumber(match[group].str());
}

int MonthNumber(const std::string& word) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int i = 0; i < 12; ++i) {
    if (word == kMonths[i]) return i + 1;
  }
  return 0;
}

bool ReadTimeStamp(const std::string& text, TimeStamp* stamp) {
  boost::smatch match;
  if (!boost::regex_search(text, match, TimeStampPattern())) return false;
  stamp->month = MonthNumber(match[1].str());
  stamp->day = Number(match, 2);
  stamp->hours = Number(match, 3);
  stamp->minutes = Number(match, 4);
  stamp->seconds = Number(match, 5);
  stamp->year = Number(match, 6);
  stamp->micros = Number(match, 7);
  return true;
}

// Whether the date can enter the difference; the bounds keep the day count
// far from overflowing when multiplied into milliseconds.
bool HasDate(const TimeStamp& stamp) {
  return stamp.month != 0 && stamp.day >= 1 && stamp.day <= 31 && stamp.year >= 1 &&
         stamp.year <= 9999;
}

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  int64_t era = (year >= 0 ? year : year - 399) / 400;
  int64_t yearOfEra = year - era * 400;
  int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace

int64_t elapsedMillis(const std::string& start, const std::string& end) {
  TimeStamp from, to;
  if (!ReadTimeStamp(start, &from)) {
    std::printf("can't construct start time\n");
    return 0;
  }
  if (!ReadTimeStamp(end, &to)) {
    std::printf("can't construct end time\n");
    return 0;
  }
  int64_t millis = (((to.hours - from.hours) * 60 + (to.minutes - from.minutes)) * 60 +
                    (to.seconds - from.seconds)) *
                       1000 +
                   (to.micros - from.micros) / 1000;
  if (HasDate(from) && HasDate(to)) {
    int64_t days =
        DaysFromCivil(to.year, to.month, to.day) - DaysFromCivil(from.year, from.month, from.day);
    millis += days * 86400000;
  }
  return millis;
}

}  // namespace quintrel
