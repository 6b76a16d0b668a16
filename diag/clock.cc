#include "diag/clock.h"

#include <chrono>

namespace quintrel {

int64_t CounterNow() { return std::chrono::steady_clock::now().time_since_epoch().count(); }

int64_t CounterFrequency() {
  using Period = std::chrono::steady_clock::period;
  return Period::den / Period::num;
}

}  // namespace quintrel
