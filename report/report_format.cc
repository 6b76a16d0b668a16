#include "report/report_format.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace quintrel {

namespace {

// `value` as printf's %.<precision>f or %.<precision>g gives it (to_chars
// promises the same text), without printf's cost.
std::string Format(std::chars_format format, int precision, double value) {
  char text[512];  // fixed notation of the largest double needs 300-odd digits
  std::to_chars_result result = std::to_chars(text, text + sizeof text, value, format, precision);
  if (result.ec != std::errc()) return std::string();
  return std::string(text, result.ptr);
}

}  // namespace

std::string FixedSeconds(double millis) {
  return Format(std::chars_format::fixed, 3, millis * 0.001);
}

std::string GeneralSeconds(double millis) {
  return Format(std::chars_format::general, 6, millis * 0.001);
}

std::string HumanDuration(int64_t millis) {
  if (millis < 1000) return Decimal(millis) + " ms";
  if (millis < 60000) return Fixed(double(millis) / 1000, 1) + " s";
  int64_t seconds = millis / 1000;
  auto two = [](int64_t major, const char* majorUnit, int64_t minor, const char* minorUnit) {
    return Decimal(major) + majorUnit + (minor > 0 ? " " + Decimal(minor) + minorUnit : "");
  };
  if (seconds < 3600) return two(seconds / 60, " min", seconds % 60, " s");
  if (seconds < 86400) return two(seconds / 3600, " h", seconds % 3600 / 60, " min");
  return two(seconds / 86400, " d", seconds % 86400 / 3600, " h");
}

std::string IsoDateTime(int64_t seconds) {
  // Days to a civil date in the proleptic Gregorian calendar.
  int64_t days = seconds / 86400 - (seconds % 86400 < 0);
  int64_t secondOfDay = seconds - days * 86400;
  int64_t z = days + 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t dayOfEra = z - era * 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  int64_t year = yearOfEra + era * 400 + (month <= 2);
  char text[160];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld",
                static_cast<long long>(year), static_cast<long long>(month),
                static_cast<long long>(day), static_cast<long long>(secondOfDay / 3600),
                static_cast<long long>(secondOfDay / 60 % 60),
                static_cast<long long>(secondOfDay % 60));
  return text;
}

std::string Decimal(int64_t value) { return std::to_string(value); }

std::string Grouped(int64_t value) {
  std::string digits = std::to_string(value);
  size_t first = digits[0] == '-' ? 1 : 0;
  for (size_t at = digits.size(); at > first + 3; at -= 3) digits.insert(at - 3, 1, ',');
  return digits;
}

std::string Fixed(double value, int decimals) {
  return Format(std::chars_format::fixed, decimals, value);
}

std::string PercentOf(double part, double whole) {
  return whole > 0 ? Fixed(100.0 * part / whole, 1) : "0.0";
}

std::string ByteSize(uint64_t bytes) {
  const char* const kUnits[] = {"bytes", "KB", "MB", "GB", "TB"};
  double value = double(bytes);
  int unit = 0;
  while (value >= 1024 && unit < 4) value /= 1024, ++unit;
  return unit == 0 ? std::to_string(bytes) + " bytes" : Fixed(value, 1) + " " + kUnits[unit];
}

std::string_view Utf8Prefix(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t end = maxBytes;
  // Back over continuation bytes to the start of the character they belong to.
  for (size_t back = 0; back < 3 && end > 0; ++back) {
    if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) break;
    --end;
  }
  return text.substr(0, end);
}

std::string AlignRight(std::string_view text, size_t width) {
  std::string aligned(width > text.size() ? width - text.size() : 0, ' ');
  aligned += text;
  return aligned;
}

void WriteAlignedRight(std::ostream& out, std::string_view text, size_t width) {
  for (size_t i = text.size(); i < width; ++i) out.put(' ');
  out.write(text.data(), text.size());
}

std::string AlignLeft(std::string_view text, size_t width) {
  std::string aligned(text);
  if (width > text.size()) aligned.append(width - text.size(), ' ');
  return aligned;
}

}  // namespace quintrel
