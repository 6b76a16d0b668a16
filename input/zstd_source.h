// ZstdSource: the decompressed bytes of a zstd stream read from another
// ByteSource, decompressed as they are read. Concatenated frames (and
// skippable frames between them) are one stream. Memory stays at a fixed
// input buffer and the decoder's window, which the frames choose: 2 MB for
// the default level, up to 128 MB for the largest the library accepts
// without being told more; a frame asking for more fails. It owns the
// source of the compressed bytes, and the decoder unless one is lent to it.
#ifndef QUINTREL_INPUT_ZSTD_SOURCE_H_
#define QUINTREL_INPUT_ZSTD_SOURCE_H_

#include <memory>
#include <string>
#include <vector>

#include "input/byte_source.h"
#include "input/zstd_context.h"

struct ZSTD_DCtx_s;
struct ZSTD_outBuffer_s;

namespace quintrel {

class ZstdSource : public ByteSource {
 public:
  // Decompresses the bytes of `compressed`, which the ZstdSource takes over,
  // with the decoder of `context` when not null (lent: it must outlive the
  // source and serve no other source meanwhile), else with its own.
  explicit ZstdSource(std::unique_ptr<ByteSource> compressed, ZstdContext* context = nullptr);
  // Destroys the source of compressed bytes and its own decoder, if any.
  ~ZstdSource() override;
  ZstdSource(const ZstdSource&) = delete;
  ZstdSource& operator=(const ZstdSource&) = delete;

  // Fills the caller's `buffer` (not kept after the call) as far as the
  // stream allows, decompressing straight into it. Bytes decompressed before a
  // fault (corrupt or truncated data, a failing source) are returned first;
  // the call after them returns -1.
  long read(char* buffer, size_t size) override;
  // "not a zstd stream", "unexpected end of compressed data",
  // "invalid compressed data (checksum mismatch)", the source's own failure...
  std::string error() const override { return error_; }
  // Compressed bytes taken from the source.
  uint64_t bytesConsumed() const override { return compressed_->bytesConsumed(); }

 private:
  enum class State { kRunning, kEnded, kFailed };

  // Decompresses some more into `output`; false once the stream ended or
  // failed.
  bool step(ZSTD_outBuffer_s* output);
  // Refills the empty input buffer; false at the end of the source or when
  // it failed, having set the state.
  bool fillInput();
  void fail(const std::string& reason);
  // Why decompressing failed with the library's code `result`.
  std::string describe(size_t result) const;

  std::unique_ptr<ByteSource> compressed_;
  std::unique_ptr<ZstdContext> owned_;  // null when a context is lent
  ZSTD_DCtx_s* context_;
  std::vector<char>* input_;  // the context's
  size_t inputPosition_ = 0;  // first byte of input_ not yet decompressed
  size_t inputEnd_ = 0;       // one past the last valid byte of input_
  State state_ = State::kRunning;
  bool atFrameEnd_ = false;  // the last frame read is complete
  bool frameEnded_ = false;  // at least one frame was read to its end
  std::string error_;
};

}  // namespace quintrel

#endif  // QUINTREL_INPUT_ZSTD_SOURCE_H_
