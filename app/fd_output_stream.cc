#include "app/fd_output_stream.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "app/output_file.h"

namespace quintrel {

namespace {
const size_t kBufferSize = 1 << 20;
}  // namespace

FdOutputBuffer::FdOutputBuffer(int fd, std::string name, bool console)
    : fd_(fd), name_(std::move(name)), console_(console), buffer_(kBufferSize) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FdOutputBuffer::~FdOutputBuffer() { close(); }

bool FdOutputBuffer::close() {
  if (fd_ < 0) return !failed_;
  writeBuffered();
  if (!console_ && ::close(fd_) != 0 && !failed_) {
    failed_ = true;
    ReportError("cannot write output file", name_);
  }
  fd_ = -1;
  return !failed_;
}

FdOutputBuffer::int_type FdOutputBuffer::overflow(int_type c) {
  if (!writeBuffered()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize FdOutputBuffer::xsputn(const char* data, std::streamsize count) {
  std::streamsize room = epptr() - pptr();
  if (count <= room) {
    std::memcpy(pptr(), data, count);
    pbump(static_cast<int>(count));
    return count;
  }
  // A piece larger than the free room: empty the buffer, then write a piece
  // larger than the whole buffer directly.
  if (!writeBuffered()) return 0;
  if (count >= static_cast<std::streamsize>(buffer_.size())) {
    return writeAll(data, count) ? count : 0;
  }
  std::memcpy(pptr(), data, count);
  pbump(static_cast<int>(count));
  return count;
}

int FdOutputBuffer::sync() {
  if (!console_) return failed_ ? -1 : 0;
  return writeBuffered() ? 0 : -1;
}

bool FdOutputBuffer::writeBuffered() {
  size_t size = pptr() - pbase();
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return writeAll(buffer_.data(), size);
}

bool FdOutputBuffer::writeAll(const char* data, size_t size) {
  if (failed_ || fd_ < 0) return false;
  // Whatever was printed through stdio comes first.
  if (console_) std::fflush(stdout);
  while (size > 0) {
    ssize_t written = ::write(fd_, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failed_ = true;
      ReportError("cannot write output file", name_);
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

FdOutputStream::FdOutputStream(int fd, std::string name, bool console)
    : std::ostream(nullptr), buffer_(fd, std::move(name), console) {
  rdbuf(&buffer_);
}

}  // namespace quintrel
