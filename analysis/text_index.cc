#include "analysis/text_index.h"

#include <cstring>

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
  uint32_t number = static_cast<uint32_t>(ends_.size());
  bytes_.append(text);
  ends_.push_back(bytes_.size());
  if (2 * ends_.size() > slots_.size()) grow();
  place(Slot{static_cast<uint32_t>(hash), number});
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
