#include "parse/trace_line.h"

#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool ClassifyEntry(bool complete, TraceLine* line) {
  struct Keyword {
    std::string_view text;
    LineKind kind;
  };
  static const Keyword kKeywords[] = {
      {"API> ", LineKind::kApi},
      {"Res: '", LineKind::kResult},
      {"SET> ", LineKind::kSet},
      {"Server RPC: ", LineKind::kServerRpc},
  };
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
  // Most lines of a trace that are not headers are query text; they never
  // reach the regular-expression engine.
  if (!StartsWithThreadMarker(line)) return false;
  if (!SearchAtLineStart(line, HeaderPattern(), &match_)) return false;
  out->threadId = Capture(match_, 1);
  out->timeStamp = Capture(match_, 2);
  out->seconds = Capture(match_, 3);
  out->fraction = Capture(match_, 4);
  out->rpcCount = Capture(match_, 5);
  out->entry = Capture(match_, 6);
  ClassifyEntry(true, out);
  return true;
}

}  // namespace quintrel
