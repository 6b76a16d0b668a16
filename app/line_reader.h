// LineReader: reads a file in large blocks and hands out its lines.
//
// Lines are the pieces between line feeds, handed out without the line feed
// and without a carriage return directly before it. The piece after the last
// line feed is handed out too: a last line without a line feed arrives
// whole, and a file that ends with a line feed ends with one empty line (an
// empty file gives exactly one empty line). The reader owns its descriptor
// and its buffer; a line it hands out is valid until the next call.
#ifndef QUINTREL_APP_LINE_READER_H_
#define QUINTREL_APP_LINE_READER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel {

class LineReader {
 public:
  LineReader() = default;
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens `path` for reading. Returns false, with errno set, when it cannot.
  bool open(const std::string& path);
  // Reads from the open descriptor `fd`, which the reader takes over.
  // Used by tests.
  void openFd(int fd);
  // Stores the next line in `line` and returns true; returns false at the end
  // of the input or when reading failed (see readFailed).
  bool next(std::string_view* line);
  // Whether a read failed (a directory, an I/O error). Lines read before the
  // failure were handed out; nothing after it is.
  bool readFailed() const { return readFailed_; }
  // The size of an open regular file, 0 for anything else (a pipe).
  uint64_t fileSize() const;
  // Bytes taken from the file so far.
  uint64_t bytesRead() const { return bytesRead_; }

 private:
  // Reads more of the file behind the unread data; false at the end or on error.
  bool fill();

  int fd_ = -1;
  std::vector<char> buffer_;
  size_t begin_ = 0;  // first unread byte in buffer_
  size_t end_ = 0;    // one past the last valid byte in buffer_
  bool atEnd_ = false;
  bool done_ = false;
  bool readFailed_ = false;
  uint64_t bytesRead_ = 0;
};

}  // namespace quintrel

#endif  // QUINTREL_APP_LINE_READER_H_
