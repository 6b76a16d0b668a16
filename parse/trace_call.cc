#include "parse/trace_call.h"

#include "parse/trace_grammar.h"

namespace quintrel {

void TraceCall::appendLine(std::string_view line) {
  rawText_.append(line);
  rawText_.push_back('\n');
}

void TraceCall::appendToLastLine(std::string_view piece) {
  // The last line's "\n" moves behind the piece.
  rawText_.truncate(rawText_.size() - 1);
  rawText_.append(piece);
  rawText_.push_back('\n');
}

void TraceCall::reset() {
  state = Idle;
  timeStamp.clear();
  // The next API line replaces the API text; it is cleared now only so that
  // a huge one does not stay.
  apiText.clear();
  apiLineLength_ = 0;
  apiLineSize_ = 0;
  resultText.clear();
  durationMs = 0;
  resultRpcCount = 0;
  apiRpcCount = 0;
  continuationOpen = false;
  compactAt = 0;
  rawText_.clear();
}

void TraceCall::setApiLineText(std::string_view text, size_t kept) {
  apiText.truncate(0);
  apiLineLength_ = 0;
  apiLineSize_ = 0;
  compactAt = 0;
  appendToApiLine(text, kept);
}

void TraceCall::appendToApiLine(std::string_view piece, size_t kept) {
  apiLineSize_ += piece.size();
  if (apiLineLength_ >= kept) return;
  piece = piece.substr(0, kept - apiLineLength_);
  apiText.append(piece);
  apiLineLength_ += piece.size();
}

void TraceCall::appendContinuation(std::string_view line) {
  apiText.append(line);
  apiText.push_back('\n');
}

void TraceCall::appendContinuationToApiText() {
  std::string_view rest = rawText();
  size_t apiLineEnd = rest.find('\n');
  if (apiLineEnd == std::string_view::npos) return;
  rest.remove_prefix(apiLineEnd + 1);
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (StartsWithThreadMarker(line)) break;
    appendContinuation(line);
    rest.remove_prefix(end + 1);
  }
}

}  // namespace quintrel
