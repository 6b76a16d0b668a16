#include "parse/trace_line.h"

#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

// The keywords are a few bytes long: a loop beats a call to memcmp.
bool StartsWith(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (text[i] != prefix[i]) return false;
  }
  return true;
}

struct Keyword {
  std::string_view text;
  LineKind kind;
};

constexpr Keyword kKeywords[] = {
    {"API> ", LineKind::kApi},
    {"Res: '", LineKind::kResult},
    {"SET> ", LineKind::kSet},
    {"Server RPC: ", LineKind::kServerRpc},
};

}  // namespace

bool ClassifyEntry(bool complete, TraceLine* line) {
  for (const Keyword& keyword : kKeywords) {
    if (StartsWith(line->entry, keyword.text)) {
      line->kind = keyword.kind;
      line->entryText = line->entry.substr(keyword.text.size());
      return true;
    }
    // No keyword begins another, so an entry cut short inside this one
    // cannot begin any of the others.
    if (!complete && StartsWith(keyword.text, line->entry)) return false;
  }
  line->kind = LineKind::kOtherHeader;
  line->entryText = line->entry;
  return true;
}

bool TraceLineClassifier::classify(std::string_view line, TraceLine* out) {
  out->kind = LineKind::kContinuation;
  // Most lines of a trace that are not headers are query text; they are
  // turned away at their first byte or two.
  if (!StartsWithThreadMarker(line)) return false;
  return ScanHeaderLine(line, &prefix_, out) == ScanResult::kHeader;
}

ScanResult TraceLineClassifier::classify(std::string_view text, bool complete, TraceLine* out) {
  return ScanHeader(text, complete, out);
}

}  // namespace quintrel
