#include "analysis/class_id.h"

#include <cstdint>
#include <cstring>

namespace quintrel {

namespace {

const uint64_t kFnvOffset = 14695981039346656037ull;
const uint64_t kFnvPrime = 1099511628211ull;

uint64_t Fnv1a(uint64_t hash, std::string_view bytes) {
  for (unsigned char byte : bytes) {
    hash ^= byte;
    hash *= kFnvPrime;
  }
  return hash;
}

// Spreads every bit of `hash` over all of them, so that fingerprints that
// differ in their last byte get ids that differ throughout.
uint64_t Mix(uint64_t hash) {
  hash ^= hash >> 33;
  hash *= 0xff51afd7ed558ccdull;
  hash ^= hash >> 33;
  hash *= 0xc4ceb9fe1a85ec53ull;
  hash ^= hash >> 33;
  return hash;
}

// The two lower-case hex digits of each byte.
struct HexPairs {
  char pairs[256][2] = {};
  constexpr HexPairs() {
    const char kDigits[] = "0123456789abcdef";
    for (int byte = 0; byte < 256; ++byte) {
      pairs[byte][0] = kDigits[byte >> 4];
      pairs[byte][1] = kDigits[byte & 15];
    }
  }
};
constexpr HexPairs kHexPairs;

}  // namespace

std::string ClassId(ClassKind kind, std::string_view fingerprint) {
  std::string id(kClassIdDigits, '0');
  WriteClassId(kind, fingerprint, id.data());
  return id;
}

void WriteClassId(ClassKind kind, std::string_view fingerprint, char* out) {
  uint64_t hash = Fnv1a(kFnvOffset, kind == ClassKind::kQuery ? "q " : "c ");
  hash = Mix(Fnv1a(hash, fingerprint));
  // Two digits a byte, the high byte first.
  for (size_t i = 0; i < kClassIdDigits / 2; ++i) {
    std::memcpy(out + 2 * i, kHexPairs.pairs[(hash >> (56 - 8 * i)) & 0xff], 2);
  }
}

}  // namespace quintrel
