// LineReader: reads a trace from a ByteSource in large blocks and hands out
// its lines.
//
// Lines are the pieces between line feeds, handed out without the line feed
// and without a carriage return directly before it. The piece after the last
// line feed is handed out too: a last line without a line feed arrives
// whole, and an input that ends with a line feed ends with one empty line
// (an empty input gives exactly one empty line). A line longer than the
// buffer arrives in pieces, so that memory never grows with the longest line.
// The reader owns its source and its buffer; a piece it hands out is valid
// until the next call.
#ifndef QUINTREL_INPUT_LINE_READER_H_
#define QUINTREL_INPUT_LINE_READER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "input/byte_source.h"
#include "parse/trace_line_processor.h"

namespace quintrel {

class LineReader {
 public:
  // Reads `source`; no piece is longer than `bufferSize` (at least 16).
  explicit LineReader(std::unique_ptr<ByteSource> source, size_t bufferSize = size_t{1} << 20);
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Stores the next piece in `piece` and returns true; returns false at the
  // end of the input or when reading failed (see readFailed).
  bool next(LinePiece* piece);
  // Whether reading failed; error() says why. Lines read before the failure
  // were handed out, a line it cut short is handed out as far as it was read.
  bool readFailed() const { return readFailed_; }
  std::string error() const { return source_->error(); }
  // Bytes taken from the underlying file so far.
  uint64_t bytesConsumed() const { return source_->bytesConsumed(); }
  // The longest piece it hands out.
  size_t bufferSize() const { return buffer_.size(); }

 private:
  // Reads more behind the unread data; false at the end or on failure.
  bool fill();

  // On cache lines of their own: in a run the scanner's thread writes them
  // for every line, and whatever the caller allocated beside the reader must
  // not share their line.
  alignas(64) std::unique_ptr<ByteSource> source_;
  std::vector<char> buffer_;
  size_t begin_ = 0;      // first unread byte in buffer_
  size_t end_ = 0;        // one past the last valid byte in buffer_
  bool atEnd_ = false;    // the source has nothing more
  bool done_ = false;     // everything was handed out
  bool midLine_ = false;  // the line being read has been handed out in part
  bool readFailed_ = false;
};

}  // namespace quintrel

#endif  // QUINTREL_INPUT_LINE_READER_H_
