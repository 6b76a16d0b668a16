#include "input/zstd_context.h"

namespace quintrel {

// This build reads no zstd stream: there is no decoder to keep.
ZstdContext::ZstdContext() : decoder_(nullptr) {}

ZstdContext::~ZstdContext() = default;

ZSTD_DCtx_s* ZstdContext::restart() { return nullptr; }

}  // namespace quintrel
