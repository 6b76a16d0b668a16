#include "analysis/time_window.h"

#include "analysis/time_stamp.h"

namespace quintrel {

namespace {

// Reads exactly `count` digits at `*at` into `value`.
bool Digits(std::string_view text, size_t* at, size_t count, int64_t* value) {
  if (*at + count > text.size()) return false;
  *value = 0;
  for (size_t i = 0; i < count; ++i) {
    char c = text[*at + i];
    if (c < '0' || c > '9') return false;
    *value = *value * 10 + (c - '0');
  }
  *at += count;
  return true;
}

bool Separator(std::string_view text, size_t* at, std::string_view allowed) {
  if (*at >= text.size() || allowed.find(text[*at]) == std::string_view::npos) return false;
  ++*at;
  return true;
}

int64_t DaysInMonth(int64_t year, int64_t month) {
  const int64_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool ParseDate(std::string_view text, size_t* at, TimeBound* bound) {
  TimeStamp date;
  if (!Digits(text, at, 4, &date.year) || !Separator(text, at, "-")) return false;
  int64_t month;
  if (!Digits(text, at, 2, &month) || !Separator(text, at, "-")) return false;
  if (!Digits(text, at, 2, &date.day) || month < 1 || month > 12) return false;
  date.month = static_cast<int>(month);
  if (!date.hasDate() || date.day > DaysInMonth(date.year, month)) return false;
  bound->hasDate = true;
  bound->days = date.daysSinceEpoch();
  return true;
}

bool ParseTime(std::string_view text, size_t* at, TimeBound* bound) {
  int64_t hours, minutes, seconds;
  if (!Digits(text, at, 2, &hours) || !Separator(text, at, ":") || !Digits(text, at, 2, &minutes) ||
      !Separator(text, at, ":") || !Digits(text, at, 2, &seconds)) {
    return false;
  }
  if (hours > 23 || minutes > 59 || seconds > 59) return false;
  bound->secondOfDay = hours * 3600 + minutes * 60 + seconds;
  return *at == text.size();
}

}  // namespace

bool TimeBound::Parse(std::string_view text, TimeBound* bound) {
  *bound = TimeBound();
  bound->given = true;
  size_t at = 0;
  if (text.size() > 8 && (!ParseDate(text, &at, bound) || !Separator(text, &at, "T "))) {
    return false;
  }
  return ParseTime(text, &at, bound);
}

bool TimeWindow::accepts(std::string_view stampText) {
  int64_t moment;
  if (!clock_.secondsOf(stampText, &moment)) return false;
  if (!firstDateKnown_) {
    firstDateKnown_ = true;
    firstDate_ = clock_.lastDays();
  }
  // The sub-second part never reaches the next whole second, so whole
  // seconds decide: at or after the start, before the end.
  if (since_.given && moment < secondsOf(since_)) return false;
  return !until_.given || moment < secondsOf(until_);
}

int64_t TimeWindow::secondsOf(const TimeBound& bound) const {
  return (bound.hasDate ? bound.days : firstDate_) * 86400 + bound.secondOfDay;
}

}  // namespace quintrel
