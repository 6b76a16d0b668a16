// TextIndex: numbers distinct texts in the order they are first seen, such as
// class names and thread ids, so that a text seen before is found by its hash
// and one comparison, without a string built for the lookup. Open addressing
// over a vector of slots; it owns a copy of each distinct text.
#ifndef QUINTREL_ANALYSIS_TEXT_INDEX_H_
#define QUINTREL_ANALYSIS_TEXT_INDEX_H_

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel {

// A hash of `text`, read eight bytes at a time. Inline: the analytics hash
// a short text or two for every call.
inline uint64_t HashText(std::string_view text) {
  const uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
  auto mix = [kMultiplier](uint64_t hash, uint64_t word) {
    hash = (hash ^ word) * kMultiplier;
    return hash ^ (hash >> 29);
  };
  uint64_t hash = text.size() * kMultiplier;
  size_t at = 0;
  for (; at + 8 <= text.size(); at += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + at, 8);
    hash = mix(hash, word);
  }
  if (at < text.size()) {
    // The last bytes, as a word with zeros above them: read in one load
    // ending at the text's end where the text has eight bytes.
    uint64_t word = 0;
    size_t rest = text.size() - at;
    if (text.size() >= 8) {
      std::memcpy(&word, text.data() + text.size() - 8, 8);
      word >>= 8 * (8 - rest);
    } else {
      for (size_t byte = 0; byte < rest; ++byte) {
        word |= uint64_t{static_cast<unsigned char>(text[at + byte])} << (8 * byte);
      }
    }
    hash = mix(hash, word);
  }
  return mix(hash, 0);
}

// Whether `a` and `b` hold the same bytes, compared eight at a time: the
// texts compared on the analytics' path are short, and a library call would
// cost more than the comparison.
inline bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  size_t at = 0;
  for (; at + 8 <= a.size(); at += 8) {
    uint64_t x, y;
    std::memcpy(&x, a.data() + at, 8);
    std::memcpy(&y, b.data() + at, 8);
    if (x != y) return false;
  }
  if (at < a.size() && a.size() >= 8) {
    // The last eight bytes, some compared before.
    uint64_t x, y;
    std::memcpy(&x, a.data() + a.size() - 8, 8);
    std::memcpy(&y, b.data() + b.size() - 8, 8);
    return x == y;
  }
  for (; at < a.size(); ++at) {
    if (a[at] != b[at]) return false;
  }
  return true;
}

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
