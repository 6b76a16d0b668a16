#include "analysis/text_arena.h"

#include <utility>

namespace quintrel {

namespace {
const size_t kChunkBytes = size_t{1} << 20;
}  // namespace

TextArena::Ref TextArena::add(TextBuffer* text) {
  if (text->size() >= kLargeText) {
    chunks_.push_back(std::move(*text));
    *text = TextBuffer();
    return Ref{static_cast<uint32_t>(chunks_.size() - 1), 0, kWholeChunk};
  }
  Ref ref = pack(text->view());
  text->clear();
  return ref;
}

TextArena::Ref TextArena::copy(std::string_view text) {
  if (text.size() < kLargeText) return pack(text);
  TextBuffer whole(text);
  return add(&whole);
}

TextArena::Ref TextArena::share(std::shared_ptr<const TextBuffer> text) {
  shared_.push_back(std::move(text));
  return Ref{static_cast<uint32_t>(shared_.size() - 1), 0, kSharedText};
}

TextArena::Ref TextArena::pack(std::string_view text) {
  size_t length = text.size();
  if (!hasPacking_ || chunks_[packing_].capacity() - chunks_[packing_].size() < length) {
    chunks_.emplace_back();
    chunks_.back().reserve(kChunkBytes);
    packing_ = chunks_.size() - 1;
    hasPacking_ = true;
  }
  TextBuffer& chunk = chunks_[packing_];
  Ref ref{static_cast<uint32_t>(packing_), static_cast<uint32_t>(chunk.size()),
          static_cast<uint32_t>(length)};
  chunk.append(text);
  return ref;
}

size_t TextArena::bytesHeld() const {
  size_t bytes = chunks_.capacity() * sizeof(TextBuffer);
  for (const TextBuffer& chunk : chunks_) bytes += chunk.capacity();
  // A text shared with others counts in full: it may outlive them all.
  bytes += shared_.capacity() * sizeof(shared_[0]);
  for (const auto& text : shared_) bytes += text->capacity();
  return bytes;
}

}  // namespace quintrel
