#include "parse/trace_grammar.h"

#include <string>

namespace quintrel {

namespace {

// The pieces every line pattern is built from.
const std::string kMarker = "^# \\[ ";
const std::string kStamp = "\\w+ \\w+[[:space:]]{1,2}\\d+ \\d+:\\d+:\\d+ \\d+ \\d+";
// The header after the stamp, up to and including the rpc counter, capturing
// nothing.
const std::string kPlainCounters = " \\( \\d+\\.\\d+ sec\\) \\( \\d+ rpc\\) ";
const std::string kPlainHeader = kMarker + "\\d+ \\] " + kStamp + kPlainCounters;

}  // namespace

const boost::regex& HeaderPattern() {
  static const boost::regex pattern(kMarker + "(\\d+) \\] (" + kStamp +
                                    ") \\( (\\d+)\\.(\\d+) sec\\) \\( (\\d+) rpc\\) (.*)");
  return pattern;
}

const boost::regex& ApiLinePattern() {
  static const boost::regex pattern(kPlainHeader + "API> ");
  return pattern;
}

const boost::regex& ApiCallPattern() {
  static const boost::regex pattern(kMarker + "\\d+ \\] (" + kStamp +
                                    ") \\( \\d+\\.\\d+ sec\\) \\( (\\d+) rpc\\) API> (.*)");
  return pattern;
}

const boost::regex& ResultPattern() {
  static const boost::regex pattern(kMarker + "\\d+ \\] " + kStamp +
                                    " \\( (\\d+)\\.(\\d+) sec\\) \\( (\\d+) rpc\\) Res: '(.*)");
  return pattern;
}

const boost::regex& SetPattern() {
  static const boost::regex pattern(kPlainHeader + "SET> .*");
  return pattern;
}

const boost::regex& ServerRpcPattern() {
  static const boost::regex pattern(kPlainHeader + "Server RPC: .*");
  return pattern;
}

const boost::regex& ThreadPattern() {
  static const boost::regex pattern(kMarker + "(\\d+) \\]");
  return pattern;
}

const boost::regex& TimeStampPattern() {
  // kStamp with its fields captured.
  static const boost::regex pattern(
      "\\w+ (\\w+)[[:space:]]{1,2}(\\d+) (\\d+):(\\d+):(\\d+) (\\d+) (\\d+)");
  return pattern;
}

bool SearchAtLineStart(std::string_view text, const boost::regex& pattern, boost::cmatch* match) {
  // match_continuous tries the first position only: the line patterns all
  // begin with "^", and in Boost's Perl mode "^" would also match after a
  // carriage return or form feed in the middle of the line.
  return boost::regex_search(text.data(), text.data() + text.size(), *match, pattern,
                             boost::match_default | boost::match_continuous);
}

std::string_view Capture(const boost::cmatch& match, int group) {
  return std::string_view(match[group].first, match[group].second - match[group].first);
}

bool ExtractThreadId(std::string_view line, std::string_view* id) {
  // ThreadPattern read by hand: the marker, digits, " ]".
  if (!StartsWithThreadMarker(line)) return false;
  size_t end = line.find_first_not_of("0123456789", kThreadMarker.size());
  if (end == kThreadMarker.size() || end == std::string_view::npos) return false;
  if (line.compare(end, 2, " ]") != 0) return false;
  *id = line.substr(kThreadMarker.size(), end - kThreadMarker.size());
  return true;
}

int32_t ReadTraceNumber(std::string_view digits) {
  const int64_t kMax = 2147483647;
  int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > kMax) return static_cast<int32_t>(kMax);
  }
  return static_cast<int32_t>(value);
}

int64_t CallDurationMillis(std::string_view seconds, std::string_view fraction) {
  return 1000 * static_cast<int64_t>(ReadTraceNumber(seconds)) + ReadTraceNumber(fraction);
}

}  // namespace quintrel
