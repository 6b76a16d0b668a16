// Number and column formatting shared by the report writers.
#ifndef QUINTREL_REPORT_REPORT_FORMAT_H_
#define QUINTREL_REPORT_REPORT_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace quintrel {

// Milliseconds as seconds in fixed notation with three decimals ("1.234").
std::string FixedSeconds(double millis);
// Milliseconds as seconds in general notation with six significant digits and
// no trailing zeros ("1.234", "1", "1234.57"), the default form of a stream.
std::string GeneralSeconds(double millis);
// Milliseconds as a person reads a duration, in its two largest units:
// "350 ms", "12.1 s", "3 min 5 s", "8 h 31 min", "2 d 4 h".
std::string HumanDuration(int64_t millis);
// Seconds since 1970-01-01 as "2003-08-06T14:03:00".
std::string IsoDateTime(int64_t seconds);
// A signed integer in decimal.
std::string Decimal(int64_t value);
// A signed integer in decimal with commas between groups of three digits
// ("-1,234,567").
std::string Grouped(int64_t value);
// `value` in fixed notation with `decimals` decimals ("12.3").
std::string Fixed(double value, int decimals);
// `part` as a share of `whole` in percent with one decimal ("12.5"); "0.0"
// when `whole` is not positive.
std::string PercentOf(double part, double whole);
// A size for people: "812 bytes", "35.3 KB", "200.0 MB" (units of 1024).
std::string ByteSize(uint64_t bytes);
// The longest beginning of the UTF-8 text `text` of at most `maxBytes` bytes
// that does not end inside a character.
std::string_view Utf8Prefix(std::string_view text, size_t maxBytes);

// `text` padded with blanks to `width`, the blanks before it (right-aligned)
// or after it (left-aligned). A longer text is returned whole.
std::string AlignRight(std::string_view text, size_t width);
std::string AlignLeft(std::string_view text, size_t width);
// Writes `text` padded the same way, without copying it.
void WriteAlignedRight(std::ostream& out, std::string_view text, size_t width);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_REPORT_FORMAT_H_
