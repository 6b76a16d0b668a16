// FileSource: the bytes of an open file descriptor (one InputFile opened),
// read as they are. It owns the descriptor.
#ifndef QUINTREL_INPUT_FILE_SOURCE_H_
#define QUINTREL_INPUT_FILE_SOURCE_H_

#include <string>

#include "input/byte_source.h"

namespace quintrel {

class FileSource : public ByteSource {
 public:
  // Takes over `fd`.
  explicit FileSource(int fd);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  long read(char* buffer, size_t size) override;
  std::string error() const override { return error_; }
  uint64_t bytesConsumed() const override { return consumed_; }

 private:
  int fd_;
  uint64_t consumed_ = 0;
  bool done_ = false;
  std::string error_;
};

}  // namespace quintrel

#endif  // QUINTREL_INPUT_FILE_SOURCE_H_
