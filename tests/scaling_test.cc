// Black-box tests of inputs whose cost once grew with the square of their
// size: many threads in one timeline bucket, and a long marker line in the
// thread listing. Sizes at which a square cost shows plainly; the time
// limit is far above what a linear run needs on a loaded machine.
#include <gtest/gtest.h>

#include <string>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

#ifdef QUINTREL_SANITIZED
#define SKIP_UNDER_SANITIZERS() GTEST_SKIP() << "sizes for the optimised build"
#else
#define SKIP_UNDER_SANITIZERS() (void)0
#endif

const unsigned kTimeLimit = 300;

// How often `piece` stands in `text`.
size_t Occurrences(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

// Threads numbered as they first appear in one second, then all again in
// reverse order in the next.
TEST(Scaling, ThreadsOfABucketInReverseOrder) {
  SKIP_UNDER_SANITIZERS();
  const int kThreads = 200000;
  std::string trace;
  for (int second = 0; second < 2; ++second) {
    const std::string stamp = "Wed Aug  6 09:00:0" + std::to_string(second) + " 2003 1";
    for (int i = 1; i <= kThreads; ++i) {
      const std::string thread = std::to_string(second == 0 ? i : kThreads + 1 - i);
      trace += ApiLine(thread, "a", 1, stamp) + "\n" + ResultLine(thread, "T'", "0.001", 1, stamp) +
               "\n";
    }
  }
  ScratchDir dir;
  RunOptions options;
  options.timeLimit = kTimeLimit;
  const CliResult result =
      RunQuintrel({dir.write("t.trc", trace), "CONSOLE", "-s", "JSON"}, options);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  // The trace's threads, then those of each of the two buckets.
  EXPECT_EQ(Occurrences(result.out, "\"threads\": " + std::to_string(kThreads)), 3u);
}

// A marker line of 32 MB: the listing reads past it once; an id longer than
// a header's is not listed.
TEST(Scaling, ListingALongMarkerLine) {
  SKIP_UNDER_SANITIZERS();
  const std::string digits(32 << 20, '3');
  ScratchDir dir;
  const std::string trace =
      dir.write("t.trc", "# [ " + digits + " ] long\n" + Call("5", "get,s0,a"));
  RunOptions options;
  options.input = "5\n";
  options.timeLimit = kTimeLimit;
  const CliResult result = RunQuintrel({trace, "CONSOLE", "-l", "-d", "CSV"}, options);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "5\n" + kPrompt + CsvRow("5", "get,s0,a"));
}

}  // namespace
}  // namespace quintrel_test
