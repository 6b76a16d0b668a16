#include "input/zstd_source.h"

#include <zstd.h>
#include <zstd_errors.h>

#include <utility>

namespace quintrel {

ZstdSource::ZstdSource(std::unique_ptr<ByteSource> compressed, ZstdContext* context)
    : compressed_(std::move(compressed)),
      owned_(context == nullptr ? std::make_unique<ZstdContext>() : nullptr),
      context_(context == nullptr ? owned_->restart() : context->restart()),
      input_(context == nullptr ? owned_->input() : context->input()) {
  if (context_ == nullptr) fail("out of memory");
}

ZstdSource::~ZstdSource() = default;

long ZstdSource::read(char* buffer, size_t size) {
  if (state_ == State::kEnded || size == 0) return 0;
  if (state_ == State::kFailed) return -1;
  ZSTD_outBuffer output = {buffer, size, 0};
  while (output.pos < output.size && step(&output)) {
  }
  if (output.pos > 0) return static_cast<long>(output.pos);
  return state_ == State::kFailed ? -1 : 0;
}

bool ZstdSource::step(ZSTD_outBuffer* output) {
  ZSTD_inBuffer input = {input_->data(), inputEnd_, inputPosition_};
  size_t outBefore = output->pos;
  size_t result = ZSTD_decompressStream(context_, output, &input);
  if (ZSTD_isError(result)) {
    fail(describe(result));
    return false;
  }
  bool progress = input.pos != inputPosition_ || output->pos != outBefore;
  inputPosition_ = input.pos;
  // 0 when a frame is complete and all of it has been handed out; a call
  // without input at that point asks for the next frame's header.
  if (result == 0) {
    atFrameEnd_ = true;
    frameEnded_ = true;
  } else if (progress) {
    atFrameEnd_ = false;
  }
  if (progress) return true;
  // No progress with output room left: the decoder needs more input.
  if (inputPosition_ == inputEnd_) return fillInput();
  fail("invalid compressed data");
  return false;
}

bool ZstdSource::fillInput() {
  long count = compressed_->read(input_->data(), input_->size());
  if (count > 0) {
    inputPosition_ = 0;
    inputEnd_ = static_cast<size_t>(count);
    return true;
  }
  if (count < 0) {
    fail(compressed_->error());
  } else if (atFrameEnd_) {
    state_ = State::kEnded;
  } else {
    fail("unexpected end of compressed data");
  }
  return false;
}

void ZstdSource::fail(const std::string& reason) {
  state_ = State::kFailed;
  error_ = reason;
}

std::string ZstdSource::describe(size_t result) const {
  switch (ZSTD_getErrorCode(result)) {
    case ZSTD_error_prefix_unknown:
      return frameEnded_ ? "invalid compressed data (trailing garbage after the last frame)"
                         : "not a zstd stream";
    case ZSTD_error_checksum_wrong:
      return "invalid compressed data (checksum mismatch)";
    case ZSTD_error_frameParameter_windowTooLarge:
      return "compressed data needs more memory than allowed (window too large)";
    case ZSTD_error_memory_allocation:
      return "out of memory";
    default:
      return std::string("invalid compressed data (") + ZSTD_getErrorName(result) + ")";
  }
}

}  // namespace quintrel
