#include "analysis/text_index.h"

#include <cstring>

namespace quintrel {

namespace {

const uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;

uint64_t Mix(uint64_t hash, uint64_t word) {
  hash = (hash ^ word) * kMultiplier;
  return hash ^ (hash >> 29);
}

}  // namespace

uint64_t HashText(std::string_view text) {
  uint64_t hash = text.size() * kMultiplier;
  size_t at = 0;
  for (; at + 8 <= text.size(); at += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + at, 8);
    hash = Mix(hash, word);
  }
  if (at < text.size()) {
    uint64_t word = 0;
    std::memcpy(&word, text.data() + at, text.size() - at);
    hash = Mix(hash, word);
  }
  return Mix(hash, 0);
}

uint32_t TextIndex::numberOf(std::string_view text, uint64_t hash, bool* added) {
  *added = false;
  if (slots_.empty()) slots_.resize(16);
  size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask; slots_[at].number != kEmpty; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.hash == hash && texts_[slot.number] == text) return slot.number;
  }
  *added = true;
  uint32_t number = static_cast<uint32_t>(texts_.size());
  texts_.emplace_back(text);
  if (2 * texts_.size() > slots_.size()) grow();
  place(Slot{hash, number});
  return number;
}

void TextIndex::place(const Slot& slot) {
  size_t mask = slots_.size() - 1;
  size_t at = slot.hash & mask;
  while (slots_[at].number != kEmpty) at = (at + 1) & mask;
  slots_[at] = slot;
}

void TextIndex::grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  for (const Slot& slot : old) {
    if (slot.number != kEmpty) place(slot);
  }
}

}  // namespace quintrel
