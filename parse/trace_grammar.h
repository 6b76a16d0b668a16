// The grammar of trace lines, written once: the thread marker every header
// line begins with, the time stamp, the header patterns built from them, the
// time-stamp pattern, and the conversions of the digit strings they capture.
//
// Every pattern is compiled once, on first use, with Boost.Regex's default
// Perl syntax, and lives until the program ends. Callers apply the line
// patterns with SearchAtLineStart so that "^" can only match at the first
// character of a line, never after a carriage return or form feed inside it.
#ifndef QUINTREL_PARSE_TRACE_GRAMMAR_H_
#define QUINTREL_PARSE_TRACE_GRAMMAR_H_

#include <boost/regex.hpp>
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

// A header line: groups 1 thread, 2 time stamp, 3 seconds, 4 fraction,
// 5 rpc counter, 6 entry text.
const boost::regex& HeaderPattern();
// An API line (no groups).
const boost::regex& ApiLinePattern();
// An API line: groups 1 time stamp, 2 rpc counter, 3 API text.
const boost::regex& ApiCallPattern();
// A result line: groups 1 seconds, 2 fraction, 3 rpc counter, 4 result text.
const boost::regex& ResultPattern();
// A SET line inside a call (no groups).
const boost::regex& SetPattern();
// A server round-trip line inside a call (no groups).
const boost::regex& ServerRpcPattern();
// The thread marker alone: group 1 thread.
const boost::regex& ThreadPattern();
// A time stamp anywhere in a text (searched, not anchored): groups 1 month
// word, 2 day, 3 hours, 4 minutes, 5 seconds, 6 year, 7 the trailing
// sub-second number. It accepts exactly the texts of the header's stamp.
const boost::regex& TimeStampPattern();

// Searches `text` for `pattern`, accepting only a match that begins at the
// first character. `match` receives the groups; it may be reused between
// calls, which avoids allocating in the steady state.
bool SearchAtLineStart(std::string_view text, const boost::regex& pattern, boost::cmatch* match);
// The text of capture group `group` of `match`, pointing into the searched
// text.
std::string_view Capture(const boost::cmatch& match, int group);

// The thread id of a line that begins with a thread marker ("# [ ", digits,
// " ]", as ThreadPattern reads it): stores it in `id` (a view into `line`)
// and returns true; returns false, leaving `id` unchanged, otherwise.
bool ExtractThreadId(std::string_view line, std::string_view* id);

// Reads a string of decimal digits like strtol with base 10, clamped to the
// signed 32-bit range: leading zeros are allowed, a value above 2147483647
// gives 2147483647. Anything other than digits ends the number.
int32_t ReadTraceNumber(std::string_view digits);

// The duration of a call from the two digit groups of its result line:
// 1000 x seconds + fraction digits read as an integer (not scaled by their
// count), in 64 bits so that it cannot wrap.
int64_t CallDurationMillis(std::string_view seconds, std::string_view fraction);

}  // namespace quintrel

#endif  // QUINTREL_PARSE_TRACE_GRAMMAR_H_
