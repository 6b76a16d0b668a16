#include "analysis/class_id.h"

#include <cstdint>

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

}  // namespace

std::string ClassId(ClassKind kind, std::string_view fingerprint) {
  uint64_t hash = Fnv1a(kFnvOffset, kind == ClassKind::kQuery ? "q " : "c ");
  hash = Mix(Fnv1a(hash, fingerprint));
  const char kDigits[] = "0123456789abcdef";
  std::string id(kClassIdDigits, '0');
  for (size_t i = 0; i < kClassIdDigits; ++i) id[i] = kDigits[(hash >> (60 - 4 * i)) & 0xf];
  return id;
}

}  // namespace quintrel
