#include "analysis/call_span.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quintrel {
namespace {

struct SpanCall {
  int64_t seconds;  // -1: a stamp without a date
  std::string stamp;
  int64_t durationMs;
};

TEST(CallSpanTest, RunsFromTheEarliestStartToTheLatestEnd) {
  const struct {
    std::vector<SpanCall> calls;
    bool known;
    int64_t span = 0;
  } kCases[] = {
      {{}, false},
      {{{100, "x 0", 0}}, true, 0},
      {{{100, "x 0", 250}}, true, 250},
      // The last call to start is not the last to end.
      {{{100, "x 0", 5000}, {101, "x 0", 10}}, true, 5000},
      // Nor is the first call to end the first to start.
      {{{101, "x 0", 10}, {100, "x 999999", 10}}, true, 11},
      {{{100, "x 500000", 0}, {102, "x 499999", 300}}, true, 2299},
      {{{100, "x 0", 10}, {-1, "x 0", 10}}, false},
  };
  for (const auto& c : kCases) {
    CallSpan span;
    for (const SpanCall& call : c.calls) {
      if (call.seconds < 0) {
        span.addUndated();
      } else {
        span.add(call.seconds, call.stamp, call.durationMs);
      }
    }
    int64_t millis = -1;
    ASSERT_EQ(span.span(&millis), c.known) << c.calls.size();
    EXPECT_EQ(millis, c.known ? c.span : -1) << c.calls.size();
  }
}

}  // namespace
}  // namespace quintrel
