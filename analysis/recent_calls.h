// RecentCalls: the call classes of the short call texts the analytics met
// lately, so that a call of a class met lately costs a hash and a comparison
// instead of its fingerprint. A call on an object names it after its handle
// ("get,s1,ID,title"); such an object id is left out of the comparison, as
// the class does not depend on it, so that the calls of one kind on any
// object find one slot. Direct-mapped by the hash, each slot holding a copy
// of its text, so that its memory is fixed: kSlots slots of kMaxText bytes.
#ifndef QUINTREL_ANALYSIS_RECENT_CALLS_H_
#define QUINTREL_ANALYSIS_RECENT_CALLS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "analysis/text_index.h"
#include "analysis/word_bytes.h"

namespace quintrel {

class RecentCalls {
 public:
  static constexpr size_t kMaxText = 48;
  static constexpr size_t kNoId = std::string_view::npos;
  static constexpr uint32_t kNone = 0xFFFFFFFF;

  RecentCalls() : slots_(kSlots) {}

  // The hash of a text of at most kMaxText bytes, less the object id at
  // `idAt` (kNoId: none), as find() and keep() take it.
  static uint64_t Hash(std::string_view text, size_t idAt) {
    if (idAt == kNoId) return HashText(text);
    return HashText(text.substr(0, idAt)) * 0x9E3779B97F4A7C15ULL ^
           HashText(text.substr(idAt + kObjectIdSize)) ^ idAt;
  }
  // The class number kept for `text`, less the object id at `idAt`, whose
  // hash is `hash`, and in `sessionSlot` the slot of its session handle;
  // kNone where none is kept. Inline: most calls are looked up.
  uint32_t find(std::string_view text, size_t idAt, uint64_t hash, uint32_t* sessionSlot) const {
    const Slot& slot = slots_[hash >> (64 - kSlotBits)];
    if (slot.hash != hash || slot.size != text.size() || slot.idAt != idAt) return kNone;
    std::string_view kept(slot.text, slot.size);
    bool same = idAt == kNoId ? SameText(text, kept)
                              : SameText(text.substr(0, idAt), kept.substr(0, idAt)) &&
                                    SameText(text.substr(idAt + kObjectIdSize),
                                             kept.substr(idAt + kObjectIdSize));
    if (!same) return kNone;
    *sessionSlot = slot.sessionSlot;
    return slot.number;
  }
  // Keeps `number` and `sessionSlot` for `text` (at most kMaxText bytes),
  // less the object id at `idAt`, replacing what its slot held. The handle
  // is the text's first argument, before any object id.
  void keep(std::string_view text, size_t idAt, uint64_t hash, uint32_t number,
            uint32_t sessionSlot) {
    Slot& slot = slots_[hash >> (64 - kSlotBits)];
    slot.hash = hash;
    slot.number = number;
    slot.sessionSlot = sessionSlot;
    slot.size = static_cast<uint32_t>(text.size());
    slot.idAt = idAt;
    CopyText(text, slot.text);
  }

 private:
  static constexpr int kSlotBits = 9;
  static constexpr size_t kSlots = size_t{1} << kSlotBits;
  struct Slot {
    uint64_t hash = 0;
    size_t idAt = kNoId;
    uint32_t number = kNone;
    uint32_t size = 0xFFFFFFFF;  // none
    uint32_t sessionSlot = 0;
    char text[kMaxText];
  };

  std::vector<Slot> slots_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_RECENT_CALLS_H_
