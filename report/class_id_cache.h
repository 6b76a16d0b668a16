// ClassIdCache: the class ids of the texts a listing met lately, so that a
// call or query text seen again gets its id without its fingerprint being
// built anew. It is direct-mapped: a text's hash picks its one slot, and a
// text that maps to a taken slot replaces what it held. It owns copies of
// the texts it holds, in room of its own made once; texts longer than
// kMaxText are not kept, so that its memory stays bounded.
#ifndef QUINTREL_REPORT_CLASS_ID_CACHE_H_
#define QUINTREL_REPORT_CLASS_ID_CACHE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/class_id.h"

namespace quintrel {

class ClassIdCache {
 public:
  static constexpr size_t kMaxText = 512;
  static constexpr size_t kSlots = 256;

  ClassIdCache() : slots_(kSlots) {}

  // The id kept for `text` read with `mark` (a position the id depends on,
  // npos where none does), or an empty view. The view lives until the next
  // call of keep().
  std::string_view find(std::string_view text, size_t mark);
  // Keeps `id` (kClassIdDigits characters) for the text and mark of the last
  // find(), which found none; `text` must be that text.
  void keep(std::string_view text, std::string_view id);

 private:
  struct Slot {
    size_t size = 0;
    size_t mark = 0;
    char id[kClassIdDigits] = {};
    bool used = false;
    char text[kMaxText];
  };
  std::vector<Slot> slots_;
  Slot* missed_ = nullptr;  // where the text of the last find() goes, if kept
  size_t missedMark_ = 0;
};

}  // namespace quintrel

#endif  // QUINTREL_REPORT_CLASS_ID_CACHE_H_
