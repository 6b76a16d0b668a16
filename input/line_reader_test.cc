#include "input/line_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace quintrel {
namespace {

// The bytes of a string, `step` at a time at most.
class StringSource : public ByteSource {
 public:
  StringSource(std::string text, size_t step, bool failAtEnd)
      : text_(std::move(text)), step_(step), failAtEnd_(failAtEnd) {}
  long read(char* buffer, size_t size) override {
    size_t count = std::min({size, step_, text_.size() - at_});
    if (count == 0) return failAtEnd_ ? -1 : 0;
    std::memcpy(buffer, text_.data() + at_, count);
    at_ += count;
    return static_cast<long>(count);
  }
  std::string error() const override { return failAtEnd_ ? "Input/output error" : ""; }
  uint64_t bytesConsumed() const override { return at_; }

 private:
  std::string text_;
  size_t step_, at_ = 0;
  bool failAtEnd_;
};

// The lines of `text` as read with pieces of at most `bufferSize`, each
// line's pieces joined; counts the lines that came in several pieces.
std::vector<std::string> Lines(const std::string& text, size_t bufferSize, size_t step,
                               bool failAtEnd = false, int* splitLines = nullptr) {
  LineReader reader(std::make_unique<StringSource>(text, step, failAtEnd), bufferSize);
  std::vector<std::string> lines;
  LinePiece piece;
  while (reader.next(&piece)) {
    EXPECT_LE(piece.text.size(), std::max<size_t>(bufferSize, 16));
    if (piece.first) lines.emplace_back();
    lines.back() += piece.text;
    if (splitLines != nullptr && piece.first && !piece.last) ++*splitLines;
  }
  EXPECT_EQ(reader.readFailed(), failAtEnd);
  return lines;
}

TEST(LineReaderTest, LinesAreTheSameWhateverTheBufferAndReads) {
  const std::string longLine(100, 'x');
  const std::pair<std::string, std::vector<std::string>> kCases[] = {
      {"", {""}},
      {"a\nb\n", {"a", "b", ""}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\r\r\n\r", {"a\rb\r", "\r"}},
      {"\n\n", {"", "", ""}},
      {longLine + "\r\n" + longLine + "\r" + longLine + "\n",
       {longLine, longLine + "\r" + longLine, ""}},
      {std::string(15, 'y') + "\r\n", {std::string(15, 'y'), ""}},
  };
  for (const auto& [text, expected] : kCases) {
    for (size_t bufferSize : {16, 17, 31, 1 << 20}) {
      for (size_t step : {1, 3, 4096}) {
        int split = 0;
        EXPECT_EQ(Lines(text, bufferSize, step, false, &split), expected)
            << testing::PrintToString(text) << " " << bufferSize << " " << step;
        if (text.size() > 200) {
          EXPECT_EQ(split, bufferSize < 100 ? 2 : 0);
        }
      }
    }
  }
}

TEST(LineReaderTest, ALineCutShortByAFailureIsHandedOut) {
  EXPECT_EQ(Lines("a\nhalf a li", 1 << 20, 4, true), (std::vector<std::string>{"a", "half a li"}));
  EXPECT_EQ(Lines("a\n", 1 << 20, 4, true), (std::vector<std::string>{"a"}));
  EXPECT_EQ(Lines("", 1 << 20, 4, true), (std::vector<std::string>{}));
}

}  // namespace
}  // namespace quintrel
