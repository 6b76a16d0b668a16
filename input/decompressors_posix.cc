#include <utility>

#include "input/decompressors.h"
#include "input/gzip_source.h"
#include "input/zstd_source.h"

namespace quintrel {

std::unique_ptr<ByteSource> Decompressors::Gzip(std::unique_ptr<ByteSource> compressed,
                                                std::string*) {
  return std::make_unique<GzipSource>(std::move(compressed));
}

std::unique_ptr<ByteSource> Decompressors::Zstd(std::unique_ptr<ByteSource> compressed,
                                                std::string*, ZstdContext* context) {
  return std::make_unique<ZstdSource>(std::move(compressed), context);
}

}  // namespace quintrel
