#include "app/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quintrel {

namespace {
const size_t kBlockSize = 1 << 20;
}  // namespace

LineReader::~LineReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool LineReader::open(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  openFd(fd);
  return true;
}

void LineReader::openFd(int fd) {
  fd_ = fd;
  posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  buffer_.resize(kBlockSize);
}

uint64_t LineReader::fileSize() const {
  struct stat status;
  if (fd_ < 0 || fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) return 0;
  return static_cast<uint64_t>(status.st_size);
}

bool LineReader::next(std::string_view* line) {
  size_t scanned = 0;  // unread bytes already known to hold no line feed
  while (!done_) {
    const char* start = buffer_.data() + begin_;
    size_t available = end_ - begin_;
    const void* feed = std::memchr(start + scanned, '\n', available - scanned);
    if (feed != nullptr) {
      size_t length = static_cast<const char*>(feed) - start;
      begin_ += length + 1;
      if (length > 0 && start[length - 1] == '\r') --length;
      *line = std::string_view(start, length);
      return true;
    }
    if (atEnd_) {
      *line = std::string_view(start, available);
      begin_ = end_;
      done_ = true;
      return true;
    }
    scanned = available;
    if (!fill()) done_ = readFailed_;
  }
  return false;
}

bool LineReader::fill() {
  if (fd_ < 0) {
    atEnd_ = true;
    return false;
  }
  // Keep the unread part of the current line at the front; a line longer
  // than the buffer makes it grow.
  size_t unread = end_ - begin_;
  std::memmove(buffer_.data(), buffer_.data() + begin_, unread);
  begin_ = 0;
  end_ = unread;
  if (buffer_.size() - end_ < kBlockSize / 2) buffer_.resize(buffer_.size() * 2);
  while (true) {
    ssize_t count = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
    if (count > 0) {
      end_ += count;
      bytesRead_ += count;
      return true;
    }
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) readFailed_ = true;
    atEnd_ = true;
    return false;
  }
}

}  // namespace quintrel
