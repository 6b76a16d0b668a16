#include "report/report_format.h"

#include <algorithm>
#include <cstdio>

namespace quintrel {

namespace {

std::string Format(const char* format, double value) {
  char text[512];  // fixed notation of the largest double needs 300-odd digits
  int length = std::snprintf(text, sizeof text, format, value);
  if (length < 0) return std::string();
  return std::string(text, std::min(static_cast<size_t>(length), sizeof text - 1));
}

}  // namespace

std::string FixedSeconds(double millis) { return Format("%.3f", millis * 0.001); }

std::string GeneralSeconds(double millis) { return Format("%g", millis * 0.001); }

std::string Decimal(int64_t value) { return std::to_string(value); }

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
