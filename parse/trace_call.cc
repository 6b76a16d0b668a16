#include "parse/trace_call.h"

namespace quintrel {

TraceCall::TraceCall(const TraceCall& other) { *this = other; }

TraceCall& TraceCall::operator=(const TraceCall& other) {
  if (this == &other) return *this;
  state = other.state;
  timeStamp = other.timeStamp;
  durationMs = other.durationMs;
  resultRpcCount = other.resultRpcCount;
  apiRpcCount = other.apiRpcCount;
  apiText = other.apiText;
  resultText = other.resultText;
  threadId_ = other.threadId_;
  rawLines_.assign(other.rawLines_.begin(), other.rawLines_.begin() + other.rawLineCount_);
  rawLineCount_ = other.rawLineCount_;
  return *this;
}

void TraceCall::appendLine(std::string_view line) {
  if (rawLineCount_ == rawLines_.size()) rawLines_.emplace_back();
  rawLines_[rawLineCount_++].assign(line);
}

void TraceCall::reset() {
  state = Idle;
  timeStamp.clear();
  resultText.clear();
  durationMs = 0;
  resultRpcCount = 0;
  apiRpcCount = 0;
  // Kept strings serve the next call; an unusually long one is released so
  // that one huge line does not pin its memory for the rest of the run.
  const size_t kKeptCapacity = size_t{64} << 10;
  for (size_t i = 0; i < rawLineCount_; ++i) {
    if (rawLines_[i].capacity() > kKeptCapacity) std::string().swap(rawLines_[i]);
  }
  rawLineCount_ = 0;
}

std::string TraceCall::getRawText() const {
  std::string text;
  for (size_t i = 0; i < rawLineCount_; ++i) {
    text += rawLines_[i];
    text += '\n';
  }
  return text;
}

void TraceCall::appendContinuationToApiText() {
  for (size_t i = 1; i < rawLineCount_; ++i) {
    const std::string& line = rawLines_[i];
    if (line.compare(0, 4, "# [ ") == 0) break;
    apiText += line;
    apiText += '\n';
  }
}

}  // namespace quintrel
