// RecentCalls: the call classes of the short call texts the analytics met
// lately, so that a call met again (a handle's calls follow one another)
// costs a hash and a comparison instead of its fingerprint. Direct-mapped
// by the text's hash, each slot holding a copy of its text, so that its
// memory is fixed: kSlots slots of at most kMaxText bytes.
#ifndef QUINTREL_ANALYSIS_RECENT_CALLS_H_
#define QUINTREL_ANALYSIS_RECENT_CALLS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "analysis/text_index.h"

namespace quintrel {

class RecentCalls {
 public:
  static constexpr size_t kMaxText = 40;
  static constexpr uint32_t kNone = 0xFFFFFFFF;

  RecentCalls() : slots_(kSlots) {}

  // The class number kept for `text`, whose hash is `hash`, and the length
  // of its API name in `nameSize`; kNone where none is kept. Inline: every
  // short call text is looked up.
  uint32_t find(std::string_view text, uint64_t hash, size_t* nameSize) const {
    const Slot& slot = slots_[hash >> (64 - kSlotBits)];
    if (slot.hash != hash || slot.size != text.size() ||
        !SameText(text, std::string_view(slot.text, slot.size))) {
      return kNone;
    }
    *nameSize = slot.nameSize;
    return slot.number;
  }
  // Keeps `number` and `nameSize` for `text` of at most kMaxText bytes,
  // replacing what its slot held.
  void keep(std::string_view text, uint64_t hash, size_t nameSize, uint32_t number) {
    Slot& slot = slots_[hash >> (64 - kSlotBits)];
    slot.hash = hash;
    slot.number = number;
    slot.size = static_cast<uint16_t>(text.size());
    slot.nameSize = static_cast<uint16_t>(nameSize);
    CopyText(text, slot.text);
  }

 private:
  static constexpr int kSlotBits = 9;
  static constexpr size_t kSlots = size_t{1} << kSlotBits;
  struct Slot {
    uint64_t hash = 0;
    uint32_t number = kNone;
    uint16_t size = 0xFFFF;  // none
    uint16_t nameSize = 0;
    char text[kMaxText];
  };

  std::vector<Slot> slots_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_RECENT_CALLS_H_
