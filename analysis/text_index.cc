#include "analysis/text_index.h"

#include <cstring>
#include <utility>

namespace quintrel {

uint32_t TextIndex::find(std::string_view text) const {
  return slots_.empty() ? kNone : slots_[probe(text, HashText(text))].number;
}

uint32_t TextIndex::numberOf(std::string_view text, uint64_t hash, bool* added) {
  *added = false;
  if (slots_.empty()) slots_.resize(16);
  uint32_t found = slots_[probe(text, hash)].number;
  if (found != kEmpty) return found;
  *added = true;
  uint32_t number = static_cast<uint32_t>(texts_.size());
  texts_.emplace_back(text);
  if (2 * texts_.size() > slots_.size()) grow();
  place(Slot{hash, number});
  return number;
}

std::vector<std::string> TextIndex::takeTexts() {
  std::vector<std::string> texts = std::move(texts_);
  *this = TextIndex();
  return texts;
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
