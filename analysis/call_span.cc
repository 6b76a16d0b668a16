#include "analysis/call_span.h"

namespace quintrel {

bool CallSpan::span(int64_t* millis) const {
  if (undated_ || latest_ < earliest_) return false;
  *millis = latest_ - earliest_;
  return true;
}

}  // namespace quintrel
