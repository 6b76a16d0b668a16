#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "input/input_file.h"

namespace quintrel {

namespace {

InputFile::Status StatusFrom(int result, const struct stat& status, off_t position) {
  InputFile::Status read;
  if (result != 0) return read;
  read.found = true;
  read.regular = S_ISREG(status.st_mode);
  read.device = static_cast<uint64_t>(status.st_dev);
  read.number = static_cast<uint64_t>(status.st_ino);
  if (!read.regular) return read;
  if (position < 0 || position > status.st_size) position = 0;
  read.size = static_cast<uint64_t>(status.st_size - position);
  return read;
}

}  // namespace

InputFile::Status InputFile::StatusOf(const std::string& path) {
  struct stat status;
  return StatusFrom(::stat(path.c_str(), &status), status, 0);
}

InputFile::Status InputFile::StatusOfStandardStream(int fd) {
  struct stat status;
  int result = ::fstat(fd, &status);
  return StatusFrom(result, status, result == 0 ? lseek(fd, 0, SEEK_CUR) : 0);
}

int InputFile::Open(const std::string& path, std::string* error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) *error = std::strerror(errno);
  return fd;
}

int InputFile::DuplicateStandardInput(std::string* error) {
  int fd = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) *error = std::strerror(errno);
  return fd;
}

void InputFile::AdviseSequential(int fd) { posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL); }

long InputFile::Read(int fd, char* buffer, size_t size, std::string* error) {
  while (true) {
    ssize_t count = ::read(fd, buffer, size);
    if (count >= 0) return count;
    if (errno == EINTR) continue;
    *error = std::strerror(errno);
    return -1;
  }
}

void InputFile::Close(int fd) { ::close(fd); }

}  // namespace quintrel
