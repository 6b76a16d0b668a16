#include "input/file_source.h"

#include "input/input_file.h"

namespace quintrel {

FileSource::FileSource(int fd) : fd_(fd) { InputFile::AdviseSequential(fd_); }

FileSource::~FileSource() {
  if (fd_ >= 0) InputFile::Close(fd_);
}

long FileSource::read(char* buffer, size_t size) {
  if (done_) return error_.empty() ? 0 : -1;
  long count = InputFile::Read(fd_, buffer, size, &error_);
  if (count > 0) {
    consumed_ += count;
    return count;
  }
  done_ = true;
  return count;
}

}  // namespace quintrel
