// FdOutputStream: an output stream over a file descriptor that it owns (or
// over standard output, which it does not own), with a large buffer and
// detection of failed writes.
//
// Reports flush after every line. For a file that flush only marks a line
// end and the buffer is written when it fills or at close(), so a report of
// millions of lines does not cost a system call per line. On the console
// every flush reaches the terminal at once, after anything printed through
// stdio, so that both appear in program order.
#ifndef QUINTREL_APP_FD_OUTPUT_STREAM_H_
#define QUINTREL_APP_FD_OUTPUT_STREAM_H_

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace quintrel {

class FdOutputBuffer : public std::streambuf {
 public:
  // `console`: the descriptor is standard output; flush writes through.
  FdOutputBuffer(int fd, std::string name, bool console);
  ~FdOutputBuffer() override;

  // Writes what is buffered and, for a file, closes the descriptor. Returns
  // false when any write or the close failed.
  bool close();
  bool failed() const { return failed_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize count) override;
  int sync() override;

 private:
  bool writeBuffered();
  bool writeAll(const char* data, size_t size);

  int fd_;
  std::string name_;
  bool console_;
  bool failed_ = false;
  std::vector<char> buffer_;
};

class FdOutputStream : public std::ostream {
 public:
  FdOutputStream(int fd, std::string name, bool console);
  bool close() { return buffer_.close(); }
  bool failed() const { return buffer_.failed(); }

 private:
  FdOutputBuffer buffer_;
};

}  // namespace quintrel

#endif  // QUINTREL_APP_FD_OUTPUT_STREAM_H_
