// Decompressors: the gzip and zstd readers of this build, chosen when it is
// configured. decompressors_posix.cc gives ISA-L's gzip reader and libzstd's;
// decompressors_windows.cc gives zlib's gzip reader (Debian has no ISA-L for
// Windows) and, without a libzstd for Windows, no zstd reader.
#ifndef QUINTREL_INPUT_DECOMPRESSORS_H_
#define QUINTREL_INPUT_DECOMPRESSORS_H_

#include <memory>
#include <string>

#include "input/byte_source.h"
#include "input/zstd_context.h"

namespace quintrel {

class Decompressors {
 public:
  // The decompressed bytes of `compressed`, which the returned source owns;
  // null, with the reason in `error`, where this build has no reader for the
  // format (then `compressed` is destroyed). The zstd reader uses
  // `context`'s decoder when not null (lent; see ZstdSource).
  static std::unique_ptr<ByteSource> Gzip(std::unique_ptr<ByteSource> compressed,
                                          std::string* error);
  static std::unique_ptr<ByteSource> Zstd(std::unique_ptr<ByteSource> compressed,
                                          std::string* error, ZstdContext* context = nullptr);
};

}  // namespace quintrel

#endif  // QUINTREL_INPUT_DECOMPRESSORS_H_
