// TextIndex: numbers distinct texts in the order they are first seen, such as
// class names and thread ids, so that a text seen before is found by its hash
// and one comparison, without a string built for the lookup. Open addressing
// over a vector of slots; it owns a copy of each distinct text, all of them
// one after the other in one buffer.
#ifndef QUINTREL_ANALYSIS_TEXT_INDEX_H_
#define QUINTREL_ANALYSIS_TEXT_INDEX_H_

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel {

// The bytes of `text` from `at` on, fewer than eight and at least one, as a
// word with zeros above them, in at most two loads.
inline uint64_t TailWord(std::string_view text, size_t at) {
  const char* data = text.data();
  size_t rest = text.size() - at;
  if (text.size() >= 8) {
    uint64_t word;
    std::memcpy(&word, data + text.size() - 8, 8);
    return word >> (8 * (8 - rest));
  }
  if (rest >= 4) {
    // Two loads that overlap where the text has fewer than eight bytes.
    uint32_t low, high;
    std::memcpy(&low, data + at, 4);
    std::memcpy(&high, data + text.size() - 4, 4);
    return low | (uint64_t{high} << (8 * (rest - 4)));
  }
  uint64_t word = 0;
  for (size_t byte = 0; byte < rest; ++byte) {
    word |= uint64_t{static_cast<unsigned char>(data[at + byte])} << (8 * byte);
  }
  return word;
}

// A hash of `text`, read eight bytes at a time. Each word costs one
// multiplication, which keeps texts apart but leaves the low bits of the sum
// to the low bytes alone; the last steps mix every bit into every other, as
// the tables read both ends of the hash. Inline: the analytics hash a short
// text or two for every call.
inline uint64_t HashText(std::string_view text) {
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
  uint64_t hash = text.size() * kMultiplier;
  size_t at = 0;
  for (; at + 8 <= text.size(); at += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + at, 8);
    hash = (hash ^ word) * kMultiplier;
  }
  if (at < text.size()) hash = (hash ^ TailWord(text, at)) * kMultiplier;
  hash ^= hash >> 32;
  hash *= kMultiplier;
  return hash ^ (hash >> 29);
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
  return at == a.size() || TailWord(a, at) == TailWord(b, at);
}

// Copies `from` to `to` and returns the end of the copy. Texts of up to 32
// bytes, such as thread ids and stamps, are copied in two overlapping moves
// of a fixed width, without a library call.
inline char* CopyText(std::string_view from, char* to) {
  const char* data = from.data();
  size_t size = from.size();
  if (size >= 16 && size <= 32) {
    std::memcpy(to, data, 16);
    std::memcpy(to + size - 16, data + size - 16, 16);
  } else if (size >= 8 && size < 16) {
    std::memcpy(to, data, 8);
    std::memcpy(to + size - 8, data + size - 8, 8);
  } else if (size >= 4 && size < 8) {
    std::memcpy(to, data, 4);
    std::memcpy(to + size - 4, data + size - 4, 4);
  } else if (size > 32) {
    std::memcpy(to, data, size);
  } else {
    for (size_t at = 0; at < size; ++at) to[at] = data[at];
  }
  return to + size;
}

class TextIndex {
 public:
  // The number of `text`, whose hash is `hash`; a new text gets the next
  // number and `*added` says so.
  uint32_t numberOf(std::string_view text, uint64_t hash, bool* added);
  uint32_t numberOf(std::string_view text, bool* added) {
    return numberOf(text, HashText(text), added);
  }
  // The number of `text`, or kNone where it has none yet.
  static constexpr uint32_t kNone = 0xFFFFFFFF;
  uint32_t find(std::string_view text) const;
  // The text numbered `number`; valid until the next text is added.
  std::string_view text(uint32_t number) const {
    size_t begin = number == 0 ? 0 : ends_[number - 1];
    return std::string_view(bytes_.data() + begin, ends_[number] - begin);
  }
  size_t size() const { return ends_.size(); }
  // Frees the table that finds a text's number, for an index that will be
  // asked no more than text() and size(): numberOf() and find() may not be
  // called after it.
  void dropLookup() { std::vector<Slot>().swap(slots_); }

 private:
  // A text's number and the low half of its hash, which also places it: a
  // table of fewer than 2^32 slots reads no more of the hash.
  struct Slot {
    uint32_t hash = 0;
    uint32_t number = kEmpty;
  };
  static constexpr uint32_t kEmpty = kNone;
  // The slot that holds `text`, or the empty one where its probe ends.
  // Inline: every lookup of the analytics' path goes through it.
  size_t probe(std::string_view text, uint64_t hash) const {
    size_t mask = slots_.size() - 1;
    uint32_t low = static_cast<uint32_t>(hash);
    size_t at = low & mask;
    for (; slots_[at].number != kEmpty; at = (at + 1) & mask) {
      const Slot& slot = slots_[at];
      if (slot.hash == low && SameText(this->text(slot.number), text)) break;
    }
    return at;
  }
  void place(const Slot& slot);
  void grow();

  std::vector<Slot> slots_;   // a power of two of them, at most half used
  std::string bytes_;         // the texts, by number
  std::vector<size_t> ends_;  // where each text ends in bytes_
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TEXT_INDEX_H_
