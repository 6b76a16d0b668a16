#include "parse/trace_line.h"

#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

void ClassifyEntry(TraceLine* line) {
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
      return;
    }
  }
  line->kind = LineKind::kOtherHeader;
  line->entryText = line->entry;
}

}  // namespace

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
  ClassifyEntry(out);
  return true;
}

ScanResult TraceLineClassifier::classify(std::string_view text, bool complete, TraceLine* out) {
  if (complete) return classify(text, out) ? ScanResult::kHeader : ScanResult::kNotHeader;
  out->kind = LineKind::kContinuation;
  const std::string_view marker = kThreadMarker.substr(0, text.size());
  if (text.substr(0, kThreadMarker.size()) != marker) return ScanResult::kNotHeader;
  // The longest keyword, "Server RPC: ", decides the kind with its 12 bytes.
  const size_t kKeywordBytes = 12;
  if (!boost::regex_search(text.data(), text.data() + text.size(), match_, HeaderPattern(),
                           boost::match_default | boost::match_continuous |
                               boost::match_partial)) {
    return ScanResult::kNotHeader;
  }
  if (!match_[0].matched || match_[6].length() < static_cast<long>(kKeywordBytes)) {
    return ScanResult::kNeedMore;
  }
  classify(text, out);
  return ScanResult::kHeader;
}

}  // namespace quintrel
