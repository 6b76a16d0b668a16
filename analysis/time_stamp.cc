#include "analysis/time_stamp.h"

#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

int MonthNumber(std::string_view word) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int i = 0; i < 12; ++i) {
    if (word == kMonths[i]) return i + 1;
  }
  return 0;
}

}  // namespace

bool TimeStamp::Read(std::string_view text, TimeStamp* stamp) {
  boost::cmatch match;
  if (!boost::regex_search(text.data(), text.data() + text.size(), match, TimeStampPattern())) {
    return false;
  }
  stamp->month = MonthNumber(Capture(match, 1));
  stamp->day = ReadTraceNumber(Capture(match, 2));
  stamp->hours = ReadTraceNumber(Capture(match, 3));
  stamp->minutes = ReadTraceNumber(Capture(match, 4));
  stamp->seconds = ReadTraceNumber(Capture(match, 5));
  stamp->year = ReadTraceNumber(Capture(match, 6));
  stamp->micros = ReadTraceNumber(Capture(match, 7));
  return true;
}

bool TimeStamp::hasDate() const {
  return month != 0 && day >= 1 && day <= 31 && year >= 1 && year <= 9999;
}

int64_t TimeStamp::daysSinceEpoch() const {
  int64_t y = year - (month <= 2);
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yearOfEra = y - era * 400;
  int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace quintrel
