#include "input/line_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/memory_source.h"
#include "tests/support/trace_lines.h"

namespace quintrel {
namespace {

using quintrel_test::MemorySource;

// How the scanner is read: a source that gives a few bytes a read and a
// caller that takes lines as fast as it can (the caller classifies most
// lines), or a fast source and a caller that pauses (the reading thread
// classifies them).
enum class Pace { kSlowSource, kSlowCaller };

// What the lines of `text` are, with their classification, as the scanner
// hands them out and as a reader and a classifier on this thread see them.
std::vector<std::string> Lines(const std::string& text, bool scanned, bool fail = false,
                               Pace pace = Pace::kSlowSource) {
  size_t readSize = pace == Pace::kSlowSource ? 7 : 1 << 16;
  auto reader = std::make_unique<LineReader>(
      std::make_unique<MemorySource>(text, readSize, fail ? "Input/output error" : ""), 256);
  std::vector<std::string> lines;
  LinePiece piece;
  TraceLine parsed;
  auto describe = [&] {
    std::string line = std::string(piece.text) + (piece.first ? "<" : "") + (piece.last ? ">" : "");
    if (piece.first && piece.last && parsed.kind != LineKind::kContinuation) {
      line += " " + std::string(parsed.threadId) + "|" + std::string(parsed.timeStamp) + "|" +
              std::string(parsed.rpcCount) + "|" + std::string(parsed.entryText);
    }
    lines.push_back(line);
  };
  if (scanned) {
    LineScanner scanner(std::move(reader));
    while (scanner.next(&piece, &parsed)) {
      describe();
      if (pace == Pace::kSlowCaller && lines.size() % 2000 == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    }
    EXPECT_EQ(scanner.readFailed(), fail);
    EXPECT_EQ(scanner.error(), fail ? "Input/output error" : "");
    return lines;
  }
  TraceLineClassifier classifier;
  while (reader->next(&piece)) {
    parsed = TraceLine();
    if (piece.first && piece.last) classifier.classify(piece.text, &parsed);
    describe();
  }
  return lines;
}

TEST(LineScannerTest, HandsOutWhatTheReaderAndClassifierGive) {
  std::string trace;
  for (int i = 0; i < 30000; ++i) {
    trace += quintrel_test::ApiLine(std::to_string(i % 7), "get,c," + std::to_string(i)) + "\n";
    if (i % 1000 == 0) trace += std::string(300, 'x') + "\r\n";  // lines in pieces
    if (i % 3 == 0) trace += "\n";
  }
  for (bool fail : {false, true}) {
    const std::vector<std::string> expected = Lines(trace, false, fail);
    ASSERT_GT(expected.size(), 40000u);
    for (Pace pace : {Pace::kSlowSource, Pace::kSlowCaller}) {
      EXPECT_EQ(Lines(trace, true, fail, pace), expected);
    }
  }
  EXPECT_EQ(Lines("", true), Lines("", false));
}

TEST(LineScannerTest, StopsWhenDestroyedEarly) {
  std::string trace;
  for (int i = 0; i < 100000; ++i) trace += "line " + std::to_string(i) + "\n";
  LineScanner scanner(std::make_unique<LineReader>(std::make_unique<MemorySource>(trace)));
  LinePiece piece;
  TraceLine parsed;
  ASSERT_TRUE(scanner.next(&piece, &parsed));
  EXPECT_EQ(piece.text, "line 0");
}

// What an endless source counts, kept apart from it: the scanner destroys
// the source when it stops.
struct ReadCounts {
  std::atomic<size_t> reads{0};
  std::atomic<bool> stopAsked{false};
  std::atomic<size_t> readsAfterStop{0};
};

// An endless source of short lines, each read giving one line after a pause.
class EndlessSource : public ByteSource {
 public:
  explicit EndlessSource(ReadCounts* counts) : counts_(counts) {}

  long read(char* buffer, size_t size) override {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    size_t count = ++counts_->reads;
    if (counts_->stopAsked.load()) ++counts_->readsAfterStop;
    std::string line = "line " + std::to_string(count) + "\n";
    size_t length = std::min(size, line.size());
    line.copy(buffer, length);
    return static_cast<long>(length);
  }
  std::string error() const override { return ""; }
  uint64_t bytesConsumed() const override { return 0; }

 private:
  ReadCounts* counts_;
};

TEST(LineScannerTest, StopsAtTheNextLineNotAtTheEndOfTheBatch) {
  ReadCounts counts;
  {
    LineScanner scanner(std::make_unique<LineReader>(std::make_unique<EndlessSource>(&counts), 64));
    // Halfway through filling the first batch of 4,096 lines.
    while (counts.reads.load() < 20) std::this_thread::yield();
    counts.stopAsked.store(true);
  }
  // The read in progress, and at most the one the reader had begun.
  EXPECT_LE(counts.readsAfterStop.load(), 2u);
}

}  // namespace
}  // namespace quintrel
