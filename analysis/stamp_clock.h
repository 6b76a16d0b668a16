// StampClock: the whole seconds since 1970 of call stamps, for the calls of
// a trace in order. Calls of one second share their stamp up to its
// sub-second number, so a stamp is read anew only when that part differs
// from the last two seconds read: calls of threads that overlap come back
// and forth between two seconds. It owns copies of those seconds' texts.
#ifndef QUINTREL_ANALYSIS_STAMP_CLOCK_H_
#define QUINTREL_ANALYSIS_STAMP_CLOCK_H_

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace quintrel {

class StampClock {
 public:
  // Sets `seconds` to the moment of the header stamp `stamp` to its whole
  // second; false for a stamp without a date, or none.
  bool secondsOf(std::string_view stamp, int64_t* seconds);
  // As secondsOf, and sets `millis` to the moment to the millisecond: the
  // stamp's last number is its microseconds, as the time split reads it.
  // Inline: most stamps name the second of the stamp before at the width a
  // trace writes them ("Wed Aug  6 09:00:00 2003 071208"), compared at that
  // width, and their milliseconds are three digits.
  bool millisOf(std::string_view stamp, int64_t* seconds, int64_t* millis) {
    const Second& last = seconds_[last_];
    if (stamp.size() != kUsualStamp || !last.valid || last.text.size() != kUsualSecond ||
        !EndsInMicros(stamp) || std::memcmp(stamp.data(), last.text.data(), kUsualSecond) != 0) {
      return readMillis(stamp, seconds, millis);
    }
    const char* digits = stamp.data() + kUsualSecond + 1;
    *seconds = last.seconds;
    *millis =
        last.seconds * 1000 + (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
    return true;
  }
  // The days since 1970-01-01 of the date the last stamp names, when
  // secondsOf() returned true for it.
  int64_t lastDays() const { return seconds_[last_].days; }

 private:
  // A stamp read, to its whole second.
  struct Second {
    std::string text;
    int64_t seconds = 0;
    int64_t days = 0;
    bool valid = false;
    // The text is of the usual width and form ("Wed Aug  6 09:00:00 2003"),
    // its date the day `days`.
    bool usual = false;
  };
  // The length of a stamp to its whole second as a trace writes it, and of
  // the stamp with its microseconds.
  static constexpr size_t kUsualSecond = 24;
  static constexpr size_t kUsualStamp = kUsualSecond + 7;
  // Whether `stamp` ends in a blank and six digits, as a trace writes the
  // microseconds, read as one word.
  static bool EndsInMicros(std::string_view stamp) {
    if (stamp.size() < 8) return false;
    uint64_t word;
    std::memcpy(&word, stamp.data() + stamp.size() - 8, 8);
    // Each digit less '0' stays below 0x80 with 0x76 added exactly when it
    // is below 10; a byte below '0' sets its own high bit, whatever it
    // borrows from the bytes above.
    uint64_t digits = (word >> 16) - 0x303030303030ULL;
    bool allDigits = ((digits | (digits + 0x767676767676ULL)) & 0x808080808080ULL) == 0;
    return allDigits && ((word >> 8) & 0xFF) == ' ';
  }
  // millisOf() of a stamp not of the last second at the usual width.
  bool readMillis(std::string_view stamp, int64_t* seconds, int64_t* millis);
  // secondsOf() of a stamp whose last blank is at `blank`.
  bool read(std::string_view stamp, size_t blank, int64_t* seconds);
  // Reads into `entry` the second `second` of `stamp` where both are of the
  // usual width and form and the other second kept names the same date:
  // then only its time of day differs, read from its six digits. False
  // where it is not so.
  bool readSameDay(std::string_view stamp, std::string_view second, Second* entry) const;

  Second seconds_[2];  // of the last stamp and of the one before, of another second
  int last_ = 0;       // the index of the last
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_STAMP_CLOCK_H_
