#include "analysis/stamp_clock.h"

#include <cstring>
#include <iterator>

#include "analysis/text_index.h"
#include "analysis/time_stamp.h"
#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of a stamp to its whole second as a trace writes it.
constexpr size_t kUsualSecond = 24;

// Whether `stamp` ends in a blank and six digits, as a trace writes the
// microseconds, read as one word: the common case. Each digit less '0'
// stays below 0x80 with 0x76 added exactly when it is below 10; a byte below
// '0' sets its own high bit, whatever it borrows from the bytes above.
bool EndsInMicros(std::string_view stamp) {
  if (stamp.size() < 8) return false;
  uint64_t word;
  std::memcpy(&word, stamp.data() + stamp.size() - 8, 8);
  uint64_t digits = (word >> 16) - 0x303030303030ULL;
  bool allDigits = ((digits | (digits + 0x767676767676ULL)) & 0x808080808080ULL) == 0;
  return allDigits && ((word >> 8) & 0xFF) == ' ';
}

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

}  // namespace

bool StampClock::secondsOf(std::string_view stamp, int64_t* seconds) {
  return read(stamp, stamp.rfind(' '), seconds);
}

bool StampClock::millisOf(std::string_view stamp, int64_t* seconds, int64_t* millis) {
  size_t blank;
  int64_t micros;
  if (EndsInMicros(stamp)) {
    blank = stamp.size() - 7;
    const char* digits = stamp.data() + blank + 1;
    // Of the microseconds only the whole milliseconds count.
    int64_t wholeMillis = (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
    micros = wholeMillis * 1000;
    // Most stamps name the second of the stamp before, as a trace writes
    // them ("Wed Aug  6 09:00:00 2003"): compared at a fixed width.
    const Second& last = seconds_[last_];
    if (blank == kUsualSecond && last.text.size() == kUsualSecond && last.valid &&
        std::memcmp(stamp.data(), last.text.data(), kUsualSecond) == 0) {
      *seconds = last.seconds;
      *millis = last.seconds * 1000 + wholeMillis;
      return true;
    }
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
    if (!SameText(second, entry.text)) {
      TimeStamp read;
      entry.valid = TimeStamp::ReadHeaderStamp(stamp, &read) && read.hasDate();
      entry.seconds = entry.valid ? read.secondsSinceEpoch() : 0;
      entry.days = entry.valid ? read.daysSinceEpoch() : 0;
      entry.text.assign(second);
    }
  }
  *seconds = seconds_[last_].seconds;
  return seconds_[last_].valid;
}

}  // namespace quintrel
