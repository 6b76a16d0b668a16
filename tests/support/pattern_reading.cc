#include "tests/support/pattern_reading.h"

#include <boost/regex.hpp>

#include "parse/header_scanner.h"
#include "parse/trace_grammar.h"
#include "tests/support/trace_patterns.h"

namespace quintrel_test {

namespace {

using quintrel::LineKind;
using quintrel::ScanResult;
using quintrel::TraceLine;

// How far a pattern gets in a text that may go on.
enum class Reach { kNone, kPartial, kFull };

Reach MatchReach(std::string_view text, const boost::regex& pattern) {
  boost::cmatch match;
  if (!boost::regex_search(text.data(), text.data() + text.size(), match, pattern,
                           boost::match_default | boost::match_continuous | boost::match_partial))
    return Reach::kNone;
  return match[0].matched ? Reach::kFull : Reach::kPartial;
}

// The smallest length at which the beginning of `line` decides, or one more
// than its size if none does.
size_t FirstDecidingLength(std::string_view line) {
  size_t low = 0, high = line.size() + 1;
  while (low < high) {
    const size_t middle = low + (high - low) / 2;
    if (PatternsDecide(line.substr(0, middle))) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  return low;
}

bool SameView(std::string_view a, std::string_view b) {
  return a.data() == b.data() && a.size() == b.size();
}

std::string FieldMismatch(const TraceLine& got, const TraceLine& want) {
  if (got.kind != want.kind)
    return "kind " + std::to_string(static_cast<int>(got.kind)) + " instead of " +
           std::to_string(static_cast<int>(want.kind));
  if (want.kind == LineKind::kContinuation) return "";
  const struct {
    const char* name;
    std::string_view got, want;
  } kFields[] = {
      {"thread", got.threadId, want.threadId},      {"stamp", got.timeStamp, want.timeStamp},
      {"seconds", got.seconds, want.seconds},       {"fraction", got.fraction, want.fraction},
      {"rpc", got.rpcCount, want.rpcCount},         {"entry", got.entry, want.entry},
      {"entry text", got.entryText, want.entryText}};
  for (const auto& field : kFields) {
    if (!SameView(field.got, field.want))
      return std::string(field.name) + " '" + std::string(field.got) + "' instead of '" +
             std::string(field.want) + "'";
  }
  return "";
}

ScanResult ResultFor(const TraceLine& line) {
  return line.kind == LineKind::kContinuation ? ScanResult::kNotHeader : ScanResult::kHeader;
}

// The scan of the first `cut` bytes of `line`, whose whole scan gave `whole`.
std::string PrefixMismatch(std::string_view line, size_t cut, const TraceLine& whole,
                           bool decided) {
  TraceLine got;
  const ScanResult result = quintrel::ScanHeader(line.substr(0, cut), false, &got);
  if (!decided) {
    if (result == ScanResult::kNeedMore && got.kind == LineKind::kContinuation) return "";
    return "decided where the patterns do not";
  }
  if (result == ScanResult::kNeedMore) return "kNeedMore where the patterns decide";
  if (result != ResultFor(whole)) return "not the whole line's result";
  TraceLine want = whole;
  if (want.kind != LineKind::kContinuation) {
    const char* end = line.data() + cut;
    if (want.entryText.data() > end) return "decided before the end of the keyword";
    want.entry = std::string_view(want.entry.data(), end - want.entry.data());
    want.entryText = std::string_view(want.entryText.data(), end - want.entryText.data());
  }
  return FieldMismatch(got, want);
}

}  // namespace

TraceLine ReadWithPatterns(std::string_view line) {
  using namespace quintrel;
  TraceLine read;
  boost::cmatch match;
  if (!SearchAtLineStart(line, HeaderPattern(), &match)) return read;
  read.threadId = Capture(match, 1);
  read.timeStamp = Capture(match, 2);
  read.seconds = Capture(match, 3);
  read.fraction = Capture(match, 4);
  read.rpcCount = Capture(match, 5);
  read.entry = Capture(match, 6);
  read.kind = LineKind::kOtherHeader;
  read.entryText = read.entry;
  if (SearchAtLineStart(line, ApiCallPattern(), &match)) {
    read.kind = LineKind::kApi;
    read.entryText = Capture(match, 3);
  } else if (SearchAtLineStart(line, ResultPattern(), &match)) {
    read.kind = LineKind::kResult;
    read.entryText = Capture(match, 4);
  } else if (SearchAtLineStart(line, SetPattern(), &match)) {
    read.kind = LineKind::kSet;
    read.entryText = read.entry.substr(std::string_view("SET> ").size());
  } else if (SearchAtLineStart(line, ServerRpcPattern(), &match)) {
    read.kind = LineKind::kServerRpc;
    read.entryText = read.entry.substr(std::string_view("Server RPC: ").size());
  }
  return read;
}

bool PatternsDecide(std::string_view prefix) {
  using namespace quintrel;
  // Partial matching reports nothing for an empty text; an empty beginning
  // decides nothing.
  if (prefix.empty()) return false;
  const Reach header = MatchReach(prefix, HeaderPattern());
  if (header != Reach::kFull) return header == Reach::kNone;
  for (const boost::regex* keyword :
       {&ApiLinePattern(), &ResultPattern(), &SetPattern(), &ServerRpcPattern()}) {
    if (MatchReach(prefix, *keyword) == Reach::kPartial) return false;
  }
  return true;
}

std::string ScannerMismatch(std::string_view line, bool everyCut) {
  const TraceLine want = ReadWithPatterns(line);
  TraceLine whole;
  if (quintrel::ScanHeader(line, true, &whole) != ResultFor(want))
    return "whole line: not the patterns' result";
  std::string mismatch = FieldMismatch(whole, want);
  if (!mismatch.empty()) return "whole line: " + mismatch;
  const size_t decides = everyCut ? 0 : FirstDecidingLength(line);
  for (size_t cut = 0; cut <= line.size() && mismatch.empty(); ++cut) {
    const bool decided = everyCut ? PatternsDecide(line.substr(0, cut)) : cut >= decides;
    mismatch = PrefixMismatch(line, cut, whole, decided);
    if (!mismatch.empty()) mismatch = "first " + std::to_string(cut) + " bytes: " + mismatch;
  }
  return mismatch;
}

}  // namespace quintrel_test
