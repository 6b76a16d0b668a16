#include <zstd.h>

#include <stdexcept>

#include "report/profile_frame.h"

namespace quintrel {

namespace {

// A profile is written once and read by every merge it goes into: level 9
// makes the frame a sixth of the text or less and a fifth cheaper to
// decompress than the default level. It costs some 180 instructions a byte
// to write, so texts of more than 8 MB, whose profiles hold hundreds of
// thousands of classes, are written at the default level.
const int kLevel = 9;
const int kLargeTextLevel = 3;
const size_t kLargeText = size_t{8} << 20;

}  // namespace

std::string FrameProfileText(const std::string& text) {
  std::string frame(ZSTD_compressBound(text.size()), '\0');
  size_t size = ZSTD_compress(frame.data(), frame.size(), text.data(), text.size(),
                              text.size() > kLargeText ? kLargeTextLevel : kLevel);
  if (ZSTD_isError(size)) throw std::runtime_error(ZSTD_getErrorName(size));
  frame.resize(size);
  return frame;
}

}  // namespace quintrel
