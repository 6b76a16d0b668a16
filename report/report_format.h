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
// Seconds since 1970-01-01 as "2003-08-06T14:03:00".
std::string IsoDateTime(int64_t seconds);
// A signed integer in decimal.
std::string Decimal(int64_t value);

// `text` padded with blanks to `width`, the blanks before it (right-aligned)
// or after it (left-aligned). A longer text is returned whole.
std::string AlignRight(std::string_view text, size_t width);
std::string AlignLeft(std::string_view text, size_t width);
// Writes `text` padded the same way, without copying it.
void WriteAlignedRight(std::ostream& out, std::string_view text, size_t width);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_REPORT_FORMAT_H_
