#include "tests/support/trace_patterns.h"

#include <string>

#include "analysis/query_record.h"
#include "parse/header_scanner.h"
#include "parse/trace_grammar.h"

namespace quintrel_test {

namespace {

// The pieces every line pattern is built from. A run of digits or word
// characters in a header is 1 to kMaxHeaderField bytes long: `D` and `W`
// stand for them, and Bounded() writes them out.
const std::string kMarker = "^# \\[ ";
const std::string kStamp = "W W[[:space:]]{1,2}D D:D:D D D";
// The header after the stamp, up to and including the rpc counter, capturing
// nothing.
const std::string kPlainCounters = " \\( D\\.D sec\\) \\( D rpc\\) ";
const std::string kPlainHeader = kMarker + "D \\] " + kStamp + kPlainCounters;

// `pattern` with each D and W made a bounded run of digits or word
// characters.
std::string Bounded(const std::string& pattern) {
  const std::string bound = "{1," + std::to_string(quintrel::kMaxHeaderField) + "}";
  std::string bounded;
  for (char c : pattern) {
    if (c == 'D' || c == 'W') {
      bounded += (c == 'D' ? "\\d" : "\\w") + bound;
    } else {
      bounded += c;
    }
  }
  return bounded;
}

}  // namespace

const boost::regex& HeaderPattern() {
  static const boost::regex pattern(
      Bounded(kMarker + "(D) \\] (" + kStamp + ") \\( (D)\\.(D) sec\\) \\( (D) rpc\\) (.*)"));
  return pattern;
}

const boost::regex& ApiLinePattern() {
  static const boost::regex pattern(Bounded(kPlainHeader + "API> "));
  return pattern;
}

const boost::regex& ApiCallPattern() {
  static const boost::regex pattern(
      Bounded(kMarker + "D \\] (" + kStamp + ") \\( D\\.D sec\\) \\( (D) rpc\\) API> (.*)"));
  return pattern;
}

const boost::regex& ResultPattern() {
  static const boost::regex pattern(
      Bounded(kMarker + "D \\] " + kStamp + " \\( (D)\\.(D) sec\\) \\( (D) rpc\\) Res: '(.*)"));
  return pattern;
}

const boost::regex& SetPattern() {
  static const boost::regex pattern(Bounded(kPlainHeader + "SET> .*"));
  return pattern;
}

const boost::regex& ServerRpcPattern() {
  static const boost::regex pattern(Bounded(kPlainHeader + "Server RPC: .*"));
  return pattern;
}

const boost::regex& ThreadPattern() {
  // The thread listing reads the ids of header lines: at most 256 digits.
  static const boost::regex pattern(kMarker + "(\\d{1,256}) \\]");
  return pattern;
}

const boost::regex& TimeStampPattern() {
  static const boost::regex pattern(
      "\\w+ (\\w+)[[:space:]]{1,2}(\\d+) (\\d+):(\\d+):(\\d+) (\\d+) (\\d+)");
  return pattern;
}

const std::vector<boost::regex>& QueryPatterns() {
  static const std::vector<boost::regex> patterns = [] {
    std::vector<boost::regex> built;
    for (const quintrel::QueryApiSyntax& syntax : quintrel::kQueryApis) {
      std::string pattern = "^" + std::string(syntax.name) + ",(c|s[0-9]+),";
      for (int field = 0; field < syntax.skippedFields; ++field) pattern += "[^,]*,";
      built.emplace_back(pattern + "(.*)");
    }
    return built;
  }();
  return patterns;
}

size_t QueryTextStartByPatterns(std::string_view apiText) {
  boost::cmatch match;
  const char* begin = apiText.data();
  const char* end = begin + apiText.size();
  for (const boost::regex& pattern : QueryPatterns()) {
    if (boost::regex_search(begin, end, match, pattern)) return match[2].first - begin;
  }
  return std::string_view::npos;
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

bool PatternReader::isApiLine(std::string_view line) {
  return SearchAtLineStart(line, ApiLinePattern(), &match_);
}

void PatternReader::parseApiLine(std::string_view line, quintrel::TraceCall* call) {
  if (!SearchAtLineStart(line, ApiCallPattern(), &match_)) return;
  call->apiRpcCount = quintrel::ReadTraceNumber(Capture(match_, 2));
  call->timeStamp.assign(Capture(match_, 1));
  call->setApiLineText(Capture(match_, 3));
}

bool PatternReader::parseResultLine(std::string_view line, quintrel::TraceCall* call) {
  if (!SearchAtLineStart(line, ResultPattern(), &match_)) return false;
  call->resultText.assign(Capture(match_, 4));
  call->durationMs = quintrel::CallDurationMillis(Capture(match_, 1), Capture(match_, 2));
  call->resultRpcCount = quintrel::ReadTraceNumber(Capture(match_, 3));
  return true;
}

bool PatternReader::isSetLine(std::string_view line) {
  return SearchAtLineStart(line, SetPattern(), &match_);
}

bool PatternReader::isServerRpcLine(std::string_view line) {
  return SearchAtLineStart(line, ServerRpcPattern(), &match_);
}

}  // namespace quintrel_test
