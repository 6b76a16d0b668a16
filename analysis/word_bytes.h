// Bytes of a word tested all at once, for the scans of call texts that
// most calls go through: each byte below 0x80 gains its high bit from an
// addition exactly when it lies at or above a bound, and no addition
// carries into the next byte.
#ifndef QUINTREL_ANALYSIS_WORD_BYTES_H_
#define QUINTREL_ANALYSIS_WORD_BYTES_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quintrel {

constexpr uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;

// The high bit of each byte of `word` (all below 0x80) at or above `bound`.
constexpr uint64_t AtLeast(uint64_t word, uint64_t bound) {
  return (word + (0x80 - bound) * kOnes) & kHigh;
}

// The high bit of each byte of `word` (all below 0x80) that is a digit.
constexpr uint64_t DigitBytes(uint64_t word) {
  return AtLeast(word, '0') & ~AtLeast(word, '9' + 1);
}

// The high bit of each byte of `word` that is a comma, whatever the others.
constexpr uint64_t CommaBytes(uint64_t word) {
  uint64_t other = word ^ (',' * kOnes);  // zero where a comma is
  return ~(((other & ~kHigh) + ~kHigh) | other) & kHigh;
}

// Whether the eight bytes of `word` are hex digits.
inline bool AllHexDigits(uint64_t word) {
  if (word & kHigh) return false;
  uint64_t lower = word | 0x20 * kOnes;
  uint64_t letter = AtLeast(lower, 'a') & ~AtLeast(lower, 'f' + 1);
  return (DigitBytes(word) | letter) == kHigh;
}

// The length of an object id: 16 hex digits.
constexpr size_t kObjectIdSize = 16;

// Whether the kObjectIdSize bytes at `bytes` are an object id, read eight at
// a time: most arguments of a busy trace's calls are.
inline bool IsObjectIdAt(const char* bytes) {
  uint64_t first, second;
  std::memcpy(&first, bytes, 8);
  std::memcpy(&second, bytes + 8, 8);
  return AllHexDigits(first) && AllHexDigits(second);
}

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_WORD_BYTES_H_
