#include "analysis/recent_texts.h"

#include "analysis/text_index.h"

namespace quintrel {

static_assert(RecentTexts::kSlots == 1024, "SlotOf takes the top ten bits of a hash");

uint32_t RecentTexts::find(std::string_view text, uint64_t hash, size_t mark) const {
  const Slot& slot = slots_[SlotOf(hash)];
  bool same =
      slot.number != kNone && slot.hash == hash && slot.mark == mark && SameText(slot.text, text);
  return same ? slot.number : kNone;
}

void RecentTexts::keep(std::string_view text, uint64_t hash, size_t mark, uint32_t number) {
  if (text.size() > kMaxText) return;
  Slot& slot = slots_[SlotOf(hash)];
  slot.text.assign(text);
  slot.hash = hash;
  slot.mark = mark;
  slot.number = number;
}

}  // namespace quintrel
