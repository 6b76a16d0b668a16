#include "analysis/stamp_clock.h"

#include <cstring>
#include <iterator>

#include "analysis/text_index.h"
#include "analysis/time_stamp.h"
#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Sets `micros` to the sub-second number of `stamp` and returns where its
// blank is. The blank is found from the end, over the digits; a number of
// more than nine digits, or with other bytes, is read as the time split
// reads it.
size_t ReadSubSecond(std::string_view stamp, int64_t* micros) {
  static const int64_t kScales[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
  size_t at = stamp.size(), digits = 0;
  *micros = 0;
  for (; at > 0 && digits < std::size(kScales) && IsDigit(stamp[at - 1]); ++digits) {
    *micros += (stamp[--at] - '0') * kScales[digits];
  }
  size_t blank = at > 0 && stamp[at - 1] == ' ' ? at - 1 : stamp.rfind(' ');
  if (blank + 1 != at) *micros = ReadTraceNumber(stamp.substr(blank + 1));
  return blank;
}

// Whether `second` is of the usual form after its date, "HH:MM:SS YYYY"
// from byte 10 on, and if so its time of day in `*seconds`.
bool ReadTimeOfDay(std::string_view second, int64_t* seconds) {
  const char* t = second.data() + 10;
  if (t[0] != ' ' || t[3] != ':' || t[6] != ':' || t[9] != ' ') return false;
  for (int at : {1, 2, 4, 5, 7, 8}) {
    if (!IsDigit(t[at])) return false;
  }
  auto two = [t](int at) { return (t[at] - '0') * 10 + (t[at + 1] - '0'); };
  *seconds = two(1) * 3600 + two(4) * 60 + two(7);
  return true;
}

}  // namespace

bool StampClock::secondsOf(std::string_view stamp, int64_t* seconds) {
  return read(stamp, stamp.rfind(' '), seconds);
}

bool StampClock::readMillis(std::string_view stamp, int64_t* seconds, int64_t* millis) {
  size_t blank;
  int64_t micros;
  if (EndsInMicros(stamp)) {
    blank = stamp.size() - 7;
    // Of the microseconds only the whole milliseconds count.
    const char* digits = stamp.data() + blank + 1;
    micros = ((digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0')) * 1000;
  } else {
    blank = ReadSubSecond(stamp, &micros);
  }
  if (!read(stamp, blank, seconds)) return false;
  // No sum here can overflow: the numbers of a stamp stop at 2^31.
  *millis = *seconds * 1000 + micros / 1000;
  return true;
}

bool StampClock::read(std::string_view stamp, size_t blank, int64_t* seconds) {
  std::string_view second = stamp.substr(0, blank);
  if (!SameText(second, seconds_[last_].text)) {
    last_ = 1 - last_;
    Second& entry = seconds_[last_];
    if (!SameText(second, entry.text) && !readSameDay(stamp, second, &entry)) {
      TimeStamp read;
      entry.valid = TimeStamp::ReadHeaderStamp(stamp, &read) && read.hasDate();
      entry.seconds = entry.valid ? read.secondsSinceEpoch() : 0;
      entry.days = entry.valid ? read.daysSinceEpoch() : 0;
      int64_t timeOfDay;
      entry.usual = entry.valid && stamp.size() == kUsualStamp && EndsInMicros(stamp) &&
                    second.size() == kUsualSecond && ReadTimeOfDay(second, &timeOfDay);
      entry.text.assign(second);
    }
  }
  *seconds = seconds_[last_].seconds;
  return seconds_[last_].valid;
}

bool StampClock::readSameDay(std::string_view stamp, std::string_view second, Second* entry) const {
  // A stamp of this form is read by its fields, each where the other's is.
  const Second& other = seconds_[1 - last_];
  int64_t timeOfDay;
  if (!other.usual || stamp.size() != kUsualStamp || !EndsInMicros(stamp) ||
      second.size() != kUsualSecond || !ReadTimeOfDay(second, &timeOfDay) ||
      std::memcmp(second.data(), other.text.data(), 10) != 0 ||
      std::memcmp(second.data() + 19, other.text.data() + 19, 5) != 0) {
    return false;
  }
  entry->valid = entry->usual = true;
  entry->days = other.days;
  entry->seconds = other.days * 86400 + timeOfDay;
  entry->text.assign(second);
  return true;
}

}  // namespace quintrel
