#include <zstd.h>

#include "input/zstd_context.h"

namespace quintrel {

ZstdContext::ZstdContext() : decoder_(ZSTD_createDCtx()), input_(ZSTD_DStreamInSize()) {}

ZstdContext::~ZstdContext() { ZSTD_freeDCtx(decoder_); }

ZSTD_DCtx_s* ZstdContext::restart() {
  if (decoder_ != nullptr) ZSTD_DCtx_reset(decoder_, ZSTD_reset_session_only);
  return decoder_;
}

}  // namespace quintrel
