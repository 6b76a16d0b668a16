#include "analysis/time_window.h"

#include "analysis/time_stamp.h"
#include "parse/trace_grammar.h"

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

// Reads one to `most` digits at `*at` into `value`.
bool Number(std::string_view text, size_t* at, size_t most, int64_t* value) {
  size_t count = 0;
  while (count < most && *at + count < text.size() && text[*at + count] >= '0' &&
         text[*at + count] <= '9') {
    ++count;
  }
  return count > 0 && Digits(text, at, count, value);
}

bool Separator(std::string_view text, size_t* at, std::string_view allowed) {
  if (*at >= text.size() || allowed.find(text[*at]) == std::string_view::npos) return false;
  ++*at;
  return true;
}

// Moves past one or more blanks.
bool Blanks(std::string_view text, size_t* at) {
  size_t start = *at;
  while (*at < text.size() && text[*at] == ' ') ++*at;
  return *at > start;
}

// The letters at `*at`, moving past them.
std::string_view Word(std::string_view text, size_t* at) {
  size_t start = *at;
  while (*at < text.size() &&
         ((text[*at] >= 'A' && text[*at] <= 'Z') || (text[*at] >= 'a' && text[*at] <= 'z'))) {
    ++*at;
  }
  return text.substr(start, *at - start);
}

int64_t DaysInMonth(int64_t year, int64_t month) {
  const int64_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Makes `bound` a bound on `date`, when that is a valid date.
bool SetDate(const TimeStamp& date, TimeBound* bound) {
  if (date.month < 1 || date.month > 12 || !date.hasDate()) return false;
  if (date.day > DaysInMonth(date.year, date.month)) return false;
  bound->kind = TimeBound::Kind::kDateTime;
  bound->days = date.daysSinceEpoch();
  return true;
}

bool ParseDate(std::string_view text, size_t* at, TimeBound* bound) {
  TimeStamp date;
  if (!Digits(text, at, 4, &date.year) || !Separator(text, at, "-")) return false;
  int64_t month;
  if (!Digits(text, at, 2, &month) || !Separator(text, at, "-")) return false;
  if (!Digits(text, at, 2, &date.day) || month < 1 || month > 12) return false;
  date.month = static_cast<int>(month);
  return SetDate(date, bound);
}

// "HH:MM" or "HH:MM:SS" at `*at`, as the second of the day.
bool ParseClock(std::string_view text, size_t* at, int64_t* secondOfDay) {
  int64_t hours, minutes, seconds = 0;
  if (!Digits(text, at, 2, &hours) || !Separator(text, at, ":") || !Digits(text, at, 2, &minutes)) {
    return false;
  }
  if (Separator(text, at, ":") && !Digits(text, at, 2, &seconds)) return false;
  if (hours > 23 || minutes > 59 || seconds > 59) return false;
  *secondOfDay = hours * 3600 + minutes * 60 + seconds;
  return true;
}

// "YYYY-MM-DDTHH:MM[:SS]", "YYYY-MM-DD HH:MM[:SS]" or "HH:MM[:SS]".
bool ParseDateTime(std::string_view text, TimeBound* bound) {
  size_t at = 0;
  if (text.size() > 8 && (!ParseDate(text, &at, bound) || !Separator(text, &at, "T "))) {
    return false;
  }
  return ParseClock(text, &at, &bound->seconds) && at == text.size();
}

// "Wed Aug  6 18:00:00 2003", perhaps followed by the sub-second number. The
// weekday is not checked against the date.
bool ParseStamp(std::string_view text, TimeBound* bound) {
  size_t at = 0;
  TimeStamp date;
  if (Word(text, &at).empty() || !Blanks(text, &at)) return false;
  date.month = TimeStamp::MonthOf(Word(text, &at));
  if (!Blanks(text, &at) || !Number(text, &at, 2, &date.day) || !Blanks(text, &at) ||
      !ParseClock(text, &at, &bound->seconds) || !Blanks(text, &at) ||
      !Digits(text, &at, 4, &date.year)) {
    return false;
  }
  if (Blanks(text, &at) && !Number(text, &at, 9, &bound->subSecond)) return false;
  return at == text.size() && SetDate(date, bound);
}

// "N" followed by s, m or h: the seconds after the trace's first stamp.
bool ParseOffset(std::string_view text, TimeBound* bound) {
  size_t at = 0;
  int64_t count;
  if (!Number(text, &at, 9, &count) || at + 1 != text.size()) return false;
  const std::string_view kUnits = "smh";
  const int64_t kSeconds[] = {1, 60, 3600};
  size_t unit = kUnits.find(text[at]);
  if (unit == std::string_view::npos) return false;
  bound->kind = TimeBound::Kind::kAfterStart;
  bound->seconds = count * kSeconds[unit];
  return true;
}

}  // namespace

bool TimeBound::Parse(std::string_view text, TimeBound* bound) {
  *bound = TimeBound();
  bound->given = true;
  if (text.empty()) return false;
  if (text[0] == '+') return ParseOffset(text.substr(1), bound);
  if (text[0] < '0' || text[0] > '9') return ParseStamp(text, bound);
  return ParseDateTime(text, bound);
}

void TimeWindow::setTraceStart(std::string_view stamp) {
  TimeStamp read;
  startDated_ = TimeStamp::ReadHeaderStamp(stamp, &read) && read.hasDate();
  if (startDated_) start_ = Moment{read.secondsSinceEpoch(), read.micros};
}

bool TimeWindow::accepts(std::string_view stampText) {
  int64_t seconds;
  if (!clock_.secondsOf(stampText, &seconds)) return false;
  if (!placed_) {
    placed_ = true;
    int64_t firstDate = clock_.lastDays();
    placeable_ = place(since_, firstDate, &sinceAt_) && place(until_, firstDate, &untilAt_);
  }
  if (!placeable_ || (since_.given && Before(seconds, stampText, sinceAt_))) return false;
  return !until_.given || Before(seconds, stampText, untilAt_);
}

bool TimeWindow::place(const TimeBound& bound, int64_t firstDate, Moment* at) const {
  switch (bound.kind) {
    case TimeBound::Kind::kTimeOfDay:
      *at = Moment{firstDate * 86400 + bound.seconds, bound.subSecond};
      return true;
    case TimeBound::Kind::kDateTime:
      *at = Moment{bound.days * 86400 + bound.seconds, bound.subSecond};
      return true;
    case TimeBound::Kind::kAfterStart:
      *at = Moment{start_.seconds + bound.seconds, start_.subSecond};
      return startDated_;
  }
  return false;
}

// Whole seconds decide unless they are equal; then the stamp's sub-second
// number does, which is read only then.
bool TimeWindow::Before(int64_t seconds, std::string_view stamp, const Moment& bound) {
  if (seconds != bound.seconds) return seconds < bound.seconds;
  return bound.subSecond > 0 &&
         ReadTraceNumber(stamp.substr(stamp.rfind(' ') + 1)) < bound.subSecond;
}

}  // namespace quintrel
