// FdOutputStream: an output stream over a file descriptor it does not own,
// with a large buffer and detection of failed writes.
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
#ifndef QUINTREL_APP_FD_OUTPUT_STREAM_H_
#define QUINTREL_APP_FD_OUTPUT_STREAM_H_

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "app/terminal_escaper.h"

namespace quintrel {

class FdOutputBuffer : public std::streambuf {
 public:
  // Writes to `fd`, named `name` in messages; `fd` must stay open as long
  // as the buffer is used.
  FdOutputBuffer(int fd, std::string name);

  // Writes what is buffered. Returns false when any write failed.
  bool finish();
  bool failed() const { return failed_; }

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
  std::string name_;
  bool terminal_;  // the descriptor is a terminal: every line goes out at once
  bool failed_ = false;
  std::vector<char> buffer_;
  TerminalEscaper escaper_;
};

class FdOutputStream : public std::ostream {
 public:
  FdOutputStream(int fd, std::string name);
  bool finish() { return buffer_.finish(); }
  bool failed() const { return buffer_.failed(); }

 private:
  FdOutputBuffer buffer_;
};

}  // namespace quintrel

#endif  // QUINTREL_APP_FD_OUTPUT_STREAM_H_
