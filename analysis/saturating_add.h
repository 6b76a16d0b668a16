// Sums that no trace can make wrap: at the largest value they stay there.
#ifndef QUINTREL_ANALYSIS_SATURATING_ADD_H_
#define QUINTREL_ANALYSIS_SATURATING_ADD_H_

#include <cstdint>
#include <limits>

namespace quintrel {

// Adds `value` (not negative) to `*total`, stopping at the largest int64_t.
inline void SaturatingAdd(int64_t* total, int64_t value) {
  if (__builtin_add_overflow(*total, value, total)) *total = std::numeric_limits<int64_t>::max();
}

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_SATURATING_ADD_H_
