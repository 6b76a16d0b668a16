#include <utility>

#include "input/decompressors.h"
#include "input/zlib_gzip_source.h"

namespace quintrel {

std::unique_ptr<ByteSource> Decompressors::Gzip(std::unique_ptr<ByteSource> compressed,
                                                std::string*) {
  return std::make_unique<ZlibGzipSource>(std::move(compressed));
}

std::unique_ptr<ByteSource> Decompressors::Zstd(std::unique_ptr<ByteSource>, std::string* error,
                                                ZstdContext*) {
  *error = "this build of quintrel reads no zstd traces";
  return nullptr;
}

}  // namespace quintrel
