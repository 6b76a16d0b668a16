#include "analysis/call_span.h"

namespace quintrel {

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
