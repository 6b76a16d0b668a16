// The grammar of trace lines that every stage shares: the thread marker every
// header line begins with, the conversions of the digit strings a header
// holds, and the API name of a call text. The header scanner reads the rest
// of a header line.
#ifndef QUINTREL_PARSE_TRACE_GRAMMAR_H_
#define QUINTREL_PARSE_TRACE_GRAMMAR_H_

#include <cstdint>
#include <string_view>

namespace quintrel {

// Every header line and every thread marker begins with these four bytes; a
// line without them is a continuation line whatever follows.
constexpr std::string_view kThreadMarker = "# [ ";

inline bool StartsWithThreadMarker(std::string_view line) {
  // Asked of every line: compared byte by byte, without a call.
  return line.size() >= 4 && line[0] == '#' && line[1] == ' ' && line[2] == '[' && line[3] == ' ';
}

// The thread id of a line that begins with a thread marker ("# [ ", one to
// kMaxHeaderField digits, " ]"): stores it in `id` (a view into `line`) and
// returns true; returns false, leaving `id` unchanged, otherwise. A longer
// run of digits is an id of no header line.
bool ExtractThreadId(std::string_view line, std::string_view* id);

// Reads a string of decimal digits like strtol with base 10, clamped to the
// signed 32-bit range: leading zeros are allowed, a value above 2147483647
// gives 2147483647. Anything other than digits ends the number.
// Inline: the analytics read a stamp's last number for every call.
inline int32_t ReadTraceNumber(std::string_view digits) {
  const int64_t kMax = 2147483647;
  int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > kMax) return static_cast<int32_t>(kMax);
  }
  return static_cast<int32_t>(value);
}

// The duration of a call from the two digit groups of its result line:
// 1000 x seconds + fraction digits read as an integer (not scaled by their
// count), in 64 bits so that it cannot wrap.
int64_t CallDurationMillis(std::string_view seconds, std::string_view fraction);

// The API name of a call text: the text before the first comma, or the whole
// text.
inline std::string_view ApiNameOf(std::string_view apiText) {
  return apiText.substr(0, apiText.find(','));
}

}  // namespace quintrel

#endif  // QUINTREL_PARSE_TRACE_GRAMMAR_H_
