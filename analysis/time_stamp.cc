#include "analysis/time_stamp.h"

#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

// A byte of a word in the stamp: an ASCII letter, digit or underscore.
bool IsWordByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The whitespace of the stamp between month and day.
bool IsStampSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads the digits at `*at` into `value` and moves past them; false when
// there are none.
bool TakeNumber(std::string_view text, size_t* at, int64_t* value) {
  size_t start = *at;
  while (*at < text.size() && text[*at] >= '0' && text[*at] <= '9') ++*at;
  if (*at == start) return false;
  *value = ReadTraceNumber(text.substr(start, *at - start));
  return true;
}

// Moves past `c` at `*at`; false when another byte stands there.
bool TakeByte(std::string_view text, size_t* at, char c) {
  if (*at >= text.size() || text[*at] != c) return false;
  ++*at;
  return true;
}

// Moves past the word at `*at` and returns it; empty when none stands there.
std::string_view TakeWord(std::string_view text, size_t* at) {
  size_t start = *at;
  while (*at < text.size() && IsWordByte(text[*at])) ++*at;
  return text.substr(start, *at - start);
}

// Reads the stamp that begins with the word at `at`: a word, a blank, the
// month word, one or two blanks of any kind, day, hours, minutes, seconds,
// year and the sub-second number. Sets `out` only when all are there.
bool ReadStampAt(std::string_view text, size_t at, TimeStamp* out) {
  TimeStamp read;
  if (TakeWord(text, &at).empty() || !TakeByte(text, &at, ' ')) return false;
  std::string_view month = TakeWord(text, &at);
  size_t spaces = at;
  while (at < text.size() && at - spaces < 2 && IsStampSpace(text[at])) ++at;
  if (month.empty() || at == spaces || !TakeNumber(text, &at, &read.day) ||
      !TakeByte(text, &at, ' ') || !TakeNumber(text, &at, &read.hours) ||
      !TakeByte(text, &at, ':') || !TakeNumber(text, &at, &read.minutes) ||
      !TakeByte(text, &at, ':') || !TakeNumber(text, &at, &read.seconds) ||
      !TakeByte(text, &at, ' ') || !TakeNumber(text, &at, &read.year) ||
      !TakeByte(text, &at, ' ') || !TakeNumber(text, &at, &read.micros)) {
    return false;
  }
  read.month = TimeStamp::MonthOf(month);
  *out = read;
  return true;
}

}  // namespace

bool TimeStamp::ReadHeaderStamp(std::string_view text, TimeStamp* out) {
  // "Wed Aug  6 14:03:22 2003 412345": the header has checked the words, so
  // the fields only need finding.
  size_t at = text.find(' ');
  if (at == std::string_view::npos) return Read(text, out);
  size_t month = ++at;
  while (at < text.size() && !IsStampSpace(text[at])) ++at;
  out->month = MonthOf(text.substr(month, at - month));
  size_t spaces = at;
  while (at < text.size() && IsStampSpace(text[at])) ++at;
  bool read = at - spaces >= 1 && at - spaces <= 2 && TakeNumber(text, &at, &out->day) &&
              TakeByte(text, &at, ' ') && TakeNumber(text, &at, &out->hours) &&
              TakeByte(text, &at, ':') && TakeNumber(text, &at, &out->minutes) &&
              TakeByte(text, &at, ':') && TakeNumber(text, &at, &out->seconds) &&
              TakeByte(text, &at, ' ') && TakeNumber(text, &at, &out->year) &&
              TakeByte(text, &at, ' ') && TakeNumber(text, &at, &out->micros) && at == text.size();
  return read || Read(text, out);
}

bool TimeStamp::Read(std::string_view text, TimeStamp* stamp) {
  // The first stamp begins with a whole word: one that begins inside a word
  // reads the same fields as from that word's start.
  for (size_t at = 0; at < text.size(); ++at) {
    if (at > 0 && IsWordByte(text[at - 1])) continue;
    if (IsWordByte(text[at]) && ReadStampAt(text, at, stamp)) return true;
  }
  return false;
}

int TimeStamp::MonthOf(std::string_view word) {
  constexpr std::string_view kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
  if (word.size() != 3) return 0;
  for (int i = 0; i < 12; ++i) {
    if (word[0] == kMonths[3 * i] && word[1] == kMonths[3 * i + 1] &&
        word[2] == kMonths[3 * i + 2]) {
      return i + 1;
    }
  }
  return 0;
}

int64_t TimeStamp::secondsSinceEpoch() const {
  return daysSinceEpoch() * 86400 + hours * 3600 + minutes * 60 + seconds;
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
