#include "input/file_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quintrel {

FileSource::FileSource(int fd) : fd_(fd) { posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL); }

FileSource::~FileSource() {
  if (fd_ >= 0) ::close(fd_);
}

long FileSource::read(char* buffer, size_t size) {
  if (done_) return error_.empty() ? 0 : -1;
  while (true) {
    ssize_t count = ::read(fd_, buffer, size);
    if (count > 0) {
      consumed_ += count;
      return count;
    }
    if (count < 0 && errno == EINTR) continue;
    done_ = true;
    if (count == 0) return 0;
    error_ = std::strerror(errno);
    return -1;
  }
}

}  // namespace quintrel
