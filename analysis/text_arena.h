// TextArena: bulk storage for many texts that live as long as the arena, such
// as the query texts a report lists. It owns the texts.
//
// Small texts are packed into large chunks, so a text costs its bytes and no
// allocation of its own; a large text keeps the buffer it came in as a chunk
// of its own, so it is never copied, and a shared one is held as shared.
#ifndef QUINTREL_ANALYSIS_TEXT_ARENA_H_
#define QUINTREL_ANALYSIS_TEXT_ARENA_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "parse/text_buffer.h"

namespace quintrel {

class TextArena {
 public:
  // Where a text stands in the arena: a large text is a whole chunk of its
  // own, of any length.
  static constexpr uint32_t kWholeChunk = 0xFFFFFFFF;
  // A shared text: `chunk` counts the shared texts instead.
  static constexpr uint32_t kSharedText = 0xFFFFFFFE;
  struct Ref {
    uint32_t chunk = 0;
    uint32_t offset = 0;
    uint32_t length = 0;  // kWholeChunk: all of the chunk; kSharedText: see above
  };

  // Stores `text`: a small one is copied into a chunk, a large one's buffer
  // is taken over. `text` is left empty.
  Ref add(TextBuffer* text);
  // Stores a copy of `text`, which must not point into the arena.
  Ref copy(std::string_view text);
  // Holds a share of `text`, which is never copied.
  Ref share(std::shared_ptr<const TextBuffer> text);
  std::string_view view(Ref ref) const {
    if (ref.length == kSharedText) return shared_[ref.chunk]->view();
    std::string_view chunk = chunks_[ref.chunk].view();
    return ref.length == kWholeChunk ? chunk : chunk.substr(ref.offset, ref.length);
  }
  // The memory the texts hold.
  size_t bytesHeld() const;

 private:
  // Copies a small text into the chunk small texts go to.
  Ref pack(std::string_view text);

  std::vector<TextBuffer> chunks_;
  std::vector<std::shared_ptr<const TextBuffer>> shared_;
  size_t packing_ = 0;  // the chunk small texts go to, if any
  bool hasPacking_ = false;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TEXT_ARENA_H_
