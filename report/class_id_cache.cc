#include "report/class_id_cache.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace quintrel {

namespace {

// A hash of `text` and `mark` read eight bytes at a time: the texts are
// short, and a slot only has to be picked, not kept from one run to the
// next.
uint64_t HashOf(std::string_view text, size_t mark) {
  const uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  uint64_t hash = (text.size() ^ (static_cast<uint64_t>(mark) << 32)) * kMultiplier;
  size_t at = 0;
  for (uint64_t word; at + 8 <= text.size(); at += 8) {
    std::memcpy(&word, text.data() + at, 8);
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;
  }
  // The last bytes as the last eight of the text, read again in part.
  uint64_t tail = 0;
  if (text.size() >= 8) {
    std::memcpy(&tail, text.data() + text.size() - 8, 8);
  } else {
    for (; at < text.size(); ++at) tail = (tail << 8) | static_cast<unsigned char>(text[at]);
  }
  // The high bits, which every byte reaches.
  return ((hash ^ tail) * kMultiplier) >> 40;
}

// Whether the `text.size()` bytes at `kept` are `text`, compared eight
// bytes at a time: the texts are short, and a library call costs as much.
bool SameText(const char* kept, std::string_view text) {
  size_t at = 0;
  for (uint64_t a, b; at + 8 <= text.size(); at += 8) {
    std::memcpy(&a, kept + at, 8);
    std::memcpy(&b, text.data() + at, 8);
    if (a != b) return false;
  }
  for (; at < text.size(); ++at) {
    if (kept[at] != text[at]) return false;
  }
  return true;
}

}  // namespace

std::string_view ClassIdCache::find(std::string_view text, size_t mark) {
  missed_ = nullptr;
  if (text.size() > kMaxText) return std::string_view();
  Slot& slot = slots_[HashOf(text, mark) % kSlots];
  if (slot.used && slot.mark == mark && slot.size == text.size() && SameText(slot.text, text)) {
    return std::string_view(slot.id, kClassIdDigits);
  }
  missed_ = &slot;
  missedMark_ = mark;
  return std::string_view();
}

void ClassIdCache::keep(std::string_view text, std::string_view id) {
  if (missed_ == nullptr || id.size() != kClassIdDigits) return;
  std::copy(text.begin(), text.end(), missed_->text);
  missed_->size = text.size();
  missed_->mark = missedMark_;
  std::copy(id.begin(), id.end(), missed_->id);
  missed_->used = true;
  missed_ = nullptr;
}

}  // namespace quintrel
