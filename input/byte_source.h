// ByteSource: where the bytes of a trace come from: a file, standard input,
// or a decompressor in front of either. The line reader takes its bytes from
// one.
#ifndef QUINTREL_INPUT_BYTE_SOURCE_H_
#define QUINTREL_INPUT_BYTE_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace quintrel {

class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // Reads up to `size` bytes into `buffer` and returns how many it read, 0 at
  // the end of the input, or -1 when reading failed; after a failure or the
  // end, every later call returns the same.
  virtual long read(char* buffer, size_t size) = 0;
  // Why reading failed, in the system's words ("Is a directory",
  // "unexpected end of compressed data"); "" before a failure.
  virtual std::string error() const = 0;
  // Bytes taken from the underlying file so far (for a decompressor, the
  // compressed bytes), to measure progress against the file's size.
  virtual uint64_t bytesConsumed() const = 0;
};

}  // namespace quintrel

#endif  // QUINTREL_INPUT_BYTE_SOURCE_H_
