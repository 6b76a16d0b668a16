// FdOutputStream: an output stream over a file descriptor it does not own,
// with a large buffer and detection of failed writes, which it keeps for the
// caller to report.
//
// Reports flush after every line. That flush only marks a line end: the
// buffer is written when it fills and at finish(), so a listing of millions
// of lines costs no system call per line, into a file or a pipe alike. Only
// on a terminal does every line reach the screen at once. Whatever was
// printed through stdio before the buffer is written comes first.
//
// On a terminal, control characters of the text other than tab and line feed
// are shown escaped (see TerminalEscaper), so that a trace cannot drive the
// terminal.
#ifndef QUINTREL_OUTPUT_FD_OUTPUT_STREAM_H_
#define QUINTREL_OUTPUT_FD_OUTPUT_STREAM_H_

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "output/terminal_escaper.h"

namespace quintrel {

class FdOutputBuffer : public std::streambuf {
 public:
  // Writes to `fd`, which must stay open as long as the buffer is used.
  explicit FdOutputBuffer(int fd);

  // Writes what is buffered. Returns false when any write failed.
  bool finish();
  // Whether a write failed; once one has, nothing more is written.
  bool failed() const { return failed_; }
  // Why the first write that failed did, in the system's words.
  const std::string& error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize count) override;
  int sync() override;

 private:
  bool writeBuffered();
  bool writeOut(const char* data, size_t size);
  bool writeEscaped(const char* data, size_t size);
  bool writeAll(const char* data, size_t size);
  void fail(int error);

  int fd_;
  bool terminal_;  // the descriptor is a terminal: every line goes out at once
  bool failed_ = false;
  std::string error_;
  std::vector<char> buffer_;
  TerminalEscaper escaper_;
};

class FdOutputStream : public std::ostream {
 public:
  explicit FdOutputStream(int fd);
  bool finish() { return buffer_.finish(); }
  bool failed() const { return buffer_.failed(); }
  const std::string& error() const { return buffer_.error(); }

 private:
  FdOutputBuffer buffer_;
};

}  // namespace quintrel

#endif  // QUINTREL_OUTPUT_FD_OUTPUT_STREAM_H_
