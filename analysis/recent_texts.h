// RecentTexts: the class numbers of the query texts the analytics met
// lately, so that a query text met again costs a hash and a comparison
// instead of its fingerprint (RecentCalls does the same for call texts). It
// is direct-mapped: a text's hash picks its one slot, and a text kept there
// replaces what it held. It owns copies of the texts it holds; texts longer
// than kMaxText are not kept, so that its memory stays below kSlots times
// that.
#ifndef QUINTREL_ANALYSIS_RECENT_TEXTS_H_
#define QUINTREL_ANALYSIS_RECENT_TEXTS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel {

class RecentTexts {
 public:
  static constexpr size_t kMaxText = 512;
  static constexpr size_t kSlots = 1024;
  static constexpr uint32_t kNone = 0xFFFFFFFF;

  RecentTexts() : slots_(kSlots) {}

  // The number kept for `text` read with `mark` (a position its class
  // depends on, npos where none does), or kNone. `hash` is HashText(text).
  uint32_t find(std::string_view text, uint64_t hash, size_t mark) const;
  // Keeps `number` for `text`, `hash` and `mark`, replacing what its slot
  // held.
  void keep(std::string_view text, uint64_t hash, size_t mark, uint32_t number);

 private:
  struct Slot {
    std::string text;
    uint64_t hash = 0;
    size_t mark = 0;
    uint32_t number = kNone;
  };
  static size_t SlotOf(uint64_t hash) { return hash >> 54; }

  std::vector<Slot> slots_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_RECENT_TEXTS_H_
