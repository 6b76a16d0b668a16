#include "analysis/call_span.h"

#include <gtest/gtest.h>

#include <vector>

namespace quintrel {
namespace {

struct SpanCall {
  int64_t startMs;  // -1: a stamp without a date
  int64_t durationMs;
};

TEST(CallSpanTest, RunsFromTheEarliestStartToTheLatestEnd) {
  const struct {
    std::vector<SpanCall> calls;
    bool known;
    int64_t span = 0;
  } kCases[] = {
      {{}, false},
      {{{100000, 0}}, true, 0},
      {{{100000, 250}}, true, 250},
      // The last call to start is not the last to end.
      {{{100000, 5000}, {101000, 10}}, true, 5000},
      // Nor is the first call to end the first to start.
      {{{101000, 10}, {100999, 10}}, true, 11},
      {{{100500, 0}, {102499, 300}}, true, 2299},
      {{{100000, 10}, {-1, 10}}, false},
  };
  for (const auto& c : kCases) {
    CallSpan span;
    for (const SpanCall& call : c.calls) {
      if (call.startMs < 0) {
        span.addUndated();
      } else {
        span.add(call.startMs, call.durationMs);
      }
    }
    int64_t millis = -1;
    ASSERT_EQ(span.span(&millis), c.known) << c.calls.size();
    EXPECT_EQ(millis, c.known ? c.span : -1) << c.calls.size();
  }
}

}  // namespace
}  // namespace quintrel
