// ZstdContext: a zstd decoder's state and its input buffer, kept from one
// stream to the next by a reader of many inputs (a merge job), so that each
// stream does not allocate and fault in a new decoder and window. It is lent
// to one ZstdSource at a time, which resets it before use; it owns the
// decoder and the buffer. On a build without zstd it holds nothing.
#ifndef QUINTREL_INPUT_ZSTD_CONTEXT_H_
#define QUINTREL_INPUT_ZSTD_CONTEXT_H_

#include <vector>

struct ZSTD_DCtx_s;

namespace quintrel {

class ZstdContext {
 public:
  // Makes the decoder; when that fails, decoder() is null.
  ZstdContext();
  // Frees the decoder and its window.
  ~ZstdContext();
  ZstdContext(const ZstdContext&) = delete;
  ZstdContext& operator=(const ZstdContext&) = delete;

  // The decoder, ready for a new stream (what an earlier one left, a frame
  // cut off or damaged, is dropped; the window's memory is kept); null when
  // it could not be made. Valid while this object lives.
  ZSTD_DCtx_s* restart();
  // The buffer compressed bytes are read into, of the size the decoder
  // prefers; the source using the context fills it.
  std::vector<char>* input() { return &input_; }

 private:
  ZSTD_DCtx_s* decoder_;
  std::vector<char> input_;
};

}  // namespace quintrel

#endif  // QUINTREL_INPUT_ZSTD_CONTEXT_H_
