#include "output/fd_output_stream.h"

#include <cstdio>
#include <cstring>

#include "output/system_streams.h"

namespace quintrel {

namespace {
const size_t kBufferSize = 1 << 20;
}  // namespace

FdOutputBuffer::FdOutputBuffer(int fd)
    : fd_(fd), terminal_(SystemStreams::IsTerminal(fd)), buffer_(kBufferSize) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

bool FdOutputBuffer::finish() {
  if (!writeBuffered()) return false;
  if (terminal_) {
    std::string held;
    escaper_.finish(&held);
    if (!writeAll(held.data(), held.size())) return false;
  }
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
    return writeOut(data, count) ? count : 0;
  }
  std::memcpy(pptr(), data, count);
  pbump(static_cast<int>(count));
  return count;
}

int FdOutputBuffer::sync() {
  if (!terminal_) return failed_ ? -1 : 0;
  return writeBuffered() ? 0 : -1;
}

bool FdOutputBuffer::writeBuffered() {
  size_t size = pptr() - pbase();
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return size == 0 || writeOut(buffer_.data(), size);
}

bool FdOutputBuffer::writeOut(const char* data, size_t size) {
  if (failed_) return false;
  std::fflush(stdout);
  return terminal_ ? writeEscaped(data, size) : writeAll(data, size);
}

bool FdOutputBuffer::writeEscaped(const char* data, size_t size) {
  std::string shown;
  shown.reserve(size + size / 8);
  escaper_.escape(data, size, &shown);
  return writeAll(shown.data(), shown.size());
}

bool FdOutputBuffer::writeAll(const char* data, size_t size) {
  while (size > 0) {
    int error = 0;
    long written = SystemStreams::Write(fd_, data, size, &error);
    if (written < 0) {
      fail(error);
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

void FdOutputBuffer::fail(int error) {
  failed_ = true;
  error_ = std::strerror(error);
}

FdOutputStream::FdOutputStream(int fd) : std::ostream(nullptr), buffer_(fd) { rdbuf(&buffer_); }

}  // namespace quintrel
