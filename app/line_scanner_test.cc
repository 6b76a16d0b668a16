#include "app/line_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/memory_source.h"
#include "tests/support/trace_lines.h"

namespace quintrel {
namespace {

using quintrel_test::MemorySource;

// What the lines of `text` are, with their classification, as the scanner
// hands them out and as a reader and a classifier on this thread see them.
std::vector<std::string> Lines(const std::string& text, bool scanned, bool fail = false) {
  auto reader = std::make_unique<LineReader>(
      std::make_unique<MemorySource>(text, 7, fail ? "Input/output error" : ""), 64);
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
    while (scanner.next(&piece, &parsed)) describe();
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
    EXPECT_EQ(Lines(trace, true, fail), expected);
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

}  // namespace
}  // namespace quintrel
