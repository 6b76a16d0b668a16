// TextIndex: numbers distinct texts in the order they are first seen, such as
// class names and thread ids, so that a text seen before is found by its hash
// and one comparison, without a string built for the lookup. Open addressing
// over a vector of slots; it owns a copy of each distinct text.
#ifndef QUINTREL_ANALYSIS_TEXT_INDEX_H_
#define QUINTREL_ANALYSIS_TEXT_INDEX_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel {

// A hash of `text`, read eight bytes at a time.
uint64_t HashText(std::string_view text);

class TextIndex {
 public:
  // The number of `text`, whose hash is `hash`; a new text gets the next
  // number and `*added` says so.
  uint32_t numberOf(std::string_view text, uint64_t hash, bool* added);
  uint32_t numberOf(std::string_view text, bool* added) {
    return numberOf(text, HashText(text), added);
  }
  const std::string& text(uint32_t number) const { return texts_[number]; }
  size_t size() const { return texts_.size(); }

 private:
  struct Slot {
    uint64_t hash = 0;
    uint32_t number = kEmpty;
  };
  static constexpr uint32_t kEmpty = 0xFFFFFFFF;
  void place(const Slot& slot);
  void grow();

  std::vector<Slot> slots_;  // a power of two of them, at most half used
  std::vector<std::string> texts_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TEXT_INDEX_H_
