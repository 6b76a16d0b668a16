// Cp1252Source: the bytes of another source taken as Windows-1252 text and
// handed on as UTF-8. Bytes below 0x80 pass unchanged; the five bytes the
// code page leaves undefined become U+FFFD. It owns the other source.
#ifndef QUINTREL_INPUT_CP1252_SOURCE_H_
#define QUINTREL_INPUT_CP1252_SOURCE_H_

#include <memory>
#include <string>
#include <vector>

#include "input/byte_source.h"

namespace quintrel {

class Cp1252Source : public ByteSource {
 public:
  explicit Cp1252Source(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {}

  long read(char* buffer, size_t size) override;
  std::string error() const override { return source_->error(); }
  uint64_t bytesConsumed() const override { return source_->bytesConsumed(); }

 private:
  std::unique_ptr<ByteSource> source_;
  std::vector<char> raw_;
  std::string pending_;  // converted bytes that did not fit the last read
};

}  // namespace quintrel

#endif  // QUINTREL_INPUT_CP1252_SOURCE_H_
