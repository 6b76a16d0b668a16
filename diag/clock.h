// The monotonic high-resolution counter behind the diagnostics' stopwatches.
#ifndef QUINTREL_DIAG_CLOCK_H_
#define QUINTREL_DIAG_CLOCK_H_

#include <cstdint>

namespace quintrel {

// The current value of a monotonic counter.
int64_t CounterNow();
// Counts of CounterNow per second.
int64_t CounterFrequency();

}  // namespace quintrel

#endif  // QUINTREL_DIAG_CLOCK_H_
