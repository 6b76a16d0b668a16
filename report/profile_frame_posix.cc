#include <zstd.h>

#include <stdexcept>

#include "report/profile_frame.h"

namespace quintrel {

namespace {

// Fast, and a sixth of the text's size or less.
const int kLevel = 3;

}  // namespace

std::string FrameProfileText(const std::string& text) {
  std::string frame(ZSTD_compressBound(text.size()), '\0');
  size_t size = ZSTD_compress(frame.data(), frame.size(), text.data(), text.size(), kLevel);
  if (ZSTD_isError(size)) throw std::runtime_error(ZSTD_getErrorName(size));
  frame.resize(size);
  return frame;
}

}  // namespace quintrel
