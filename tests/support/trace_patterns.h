// The trace grammar as regular expressions: the reference that the hand
// scanners of the program are tested against. The header line, the keyword
// lines and the thread marker, each compiled once on first use with
// Boost.Regex's default Perl syntax and kept until the program ends; and a
// reader that applies them to a line as written, one search each. Shared by
// the unit tests, the fuzz targets and the benchmarks; the program itself
// never runs them.
#ifndef QUINTREL_TESTS_SUPPORT_TRACE_PATTERNS_H_
#define QUINTREL_TESTS_SUPPORT_TRACE_PATTERNS_H_

#include <boost/regex.hpp>
#include <string_view>
#include <vector>

#include "parse/trace_call.h"

namespace quintrel_test {

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
// sub-second number.
const boost::regex& TimeStampPattern();
// The syntax of each query API as a pattern, "^query,(c|s[0-9]+),(.*)"
// with "[^,]*," for each skipped field before the text, in the order of
// kQueryApis; group 2 of each is the query text.
const std::vector<boost::regex>& QueryPatterns();
// Where the query text begins in `apiText` by the first of QueryPatterns
// that a search finds; npos when none does.
size_t QueryTextStartByPatterns(std::string_view apiText);

// Searches `text` for `pattern`, accepting only a match that begins at the
// first character, so that "^" can only match at the start of the line,
// never after a carriage return or form feed inside it. `match` receives the
// groups; it may be reused between calls.
bool SearchAtLineStart(std::string_view text, const boost::regex& pattern, boost::cmatch* match);
// The text of capture group `group` of `match`, pointing into the searched
// text.
std::string_view Capture(const boost::cmatch& match, int group);

// The line patterns applied as written, one search each: what the line
// processor's single scan per line must agree with. Owns its match state.
class PatternReader {
 public:
  bool isApiLine(std::string_view line);
  // Sets the call's API counter, stamp and API text from an API line.
  void parseApiLine(std::string_view line, quintrel::TraceCall* call);
  // Sets the call's result text, duration and result counter from a result
  // line; false when `line` is none.
  bool parseResultLine(std::string_view line, quintrel::TraceCall* call);
  bool isSetLine(std::string_view line);
  bool isServerRpcLine(std::string_view line);

 private:
  boost::cmatch match_;
};

}  // namespace quintrel_test

#endif  // QUINTREL_TESTS_SUPPORT_TRACE_PATTERNS_H_
