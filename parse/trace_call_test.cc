#include "parse/trace_call.h"

#include <gtest/gtest.h>

namespace quintrel {
TEST(TraceCall, RawTextOfNoLinesIsEmpty) { EXPECT_EQ(TraceCall().getRawText(), ""); }
}  // namespace quintrel
