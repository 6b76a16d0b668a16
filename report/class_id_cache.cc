#include "report/class_id_cache.h"

#include <algorithm>
#include <functional>

namespace quintrel {

std::string_view ClassIdCache::find(std::string_view text, size_t mark) {
  missed_ = nullptr;
  if (text.size() > kMaxText) return std::string_view();
  Slot& slot = slots_[(std::hash<std::string_view>()(text) ^ mark) % kSlots];
  if (slot.used && slot.mark == mark && slot.text == text) {
    return std::string_view(slot.id, kClassIdDigits);
  }
  missed_ = &slot;
  missedMark_ = mark;
  return std::string_view();
}

void ClassIdCache::keep(std::string_view text, std::string_view id) {
  if (missed_ == nullptr || id.size() != kClassIdDigits) return;
  missed_->text.assign(text);
  missed_->mark = missedMark_;
  std::copy(id.begin(), id.end(), missed_->id);
  missed_->used = true;
  missed_ = nullptr;
}

}  // namespace quintrel
