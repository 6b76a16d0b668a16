// MemorySource: a ByteSource over bytes in memory for tests, handing them out
// in pieces of a chosen size and, when asked, failing after the last byte
// instead of ending. It owns a copy of the bytes. ReadAll reads any source to
// its end or failure.
#ifndef QUINTREL_TESTS_SUPPORT_MEMORY_SOURCE_H_
#define QUINTREL_TESTS_SUPPORT_MEMORY_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "input/byte_source.h"

namespace quintrel_test {

class MemorySource : public quintrel::ByteSource {
 public:
  // Hands out `bytes` at most `piece` bytes per read, then ends, or fails
  // with `failure` when it is not empty.
  explicit MemorySource(std::string bytes, size_t piece = SIZE_MAX, std::string failure = "");

  long read(char* buffer, size_t size) override;
  std::string error() const override { return failed_ ? failure_ : ""; }
  uint64_t bytesConsumed() const override { return offset_; }

 private:
  std::string bytes_;
  size_t piece_;
  std::string failure_;
  size_t offset_ = 0;
  bool failed_ = false;
};

// What reading a source to its end or failure gave.
struct ReadOutcome {
  std::string bytes;  // every byte read
  long last = 0;      // 0 at the end, -1 after a failure
  std::string error;  // the source's error() then
};

// Reads `source` with reads of `size` bytes until it ends or fails, and
// checks that it keeps returning the same afterwards (`last` becomes -2 if
// it does not).
ReadOutcome ReadAll(quintrel::ByteSource* source, size_t size);

}  // namespace quintrel_test

#endif  // QUINTREL_TESTS_SUPPORT_MEMORY_SOURCE_H_
