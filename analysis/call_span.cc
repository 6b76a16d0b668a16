#include "analysis/call_span.h"

#include <algorithm>

#include "parse/trace_grammar.h"

namespace quintrel {

void CallSpan::add(int64_t seconds, std::string_view stamp, int64_t durationMs) {
  // The stamp's last number is its microseconds, as the time split reads it.
  // No sum here can overflow: the numbers of a stamp stop at 2^31.
  int64_t start = seconds * 1000 + ReadTraceNumber(stamp.substr(stamp.rfind(' ') + 1)) / 1000;
  earliest_ = std::min(earliest_, start);
  latest_ = std::max(latest_, start + durationMs);
}

void CallSpan::merge(const CallSpan& other) {
  earliest_ = std::min(earliest_, other.earliest_);
  latest_ = std::max(latest_, other.latest_);
  undated_ = undated_ || other.undated_;
}

CallSpan CallSpan::Of(int64_t earliest, int64_t latest, bool undated) {
  CallSpan span;
  span.earliest_ = earliest;
  span.latest_ = latest;
  span.undated_ = undated;
  return span;
}

bool CallSpan::span(int64_t* millis) const {
  if (undated_ || latest_ < earliest_) return false;
  *millis = latest_ - earliest_;
  return true;
}

}  // namespace quintrel
