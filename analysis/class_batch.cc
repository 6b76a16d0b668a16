#include "analysis/class_batch.h"

namespace quintrel {

void ClassBatch::clear() {
  for (int list = 0; list < kLists; ++list) clearList(List(list));
  counts.clear();
  keptUsed_ = 0;
}

void ClassBatch::clearList(List list) {
  lists_[list].clear();
  largest_[list] = std::string_view();
  names_[list].clear();
  unordered_[list] = false;
}

bool ClassBatch::add(List list, const BatchClass& entry) {
  std::vector<BatchClass>& entries = lists_[list];
  if (entries.empty() || largest_[list] < entry.name) {
    largest_[list] = entry.name;
    if (unordered_[list]) names_[list].insert(entry.name);
  } else {
    if (!unordered_[list]) {
      for (const BatchClass& earlier : entries) names_[list].insert(earlier.name);
      unordered_[list] = true;
    }
    if (!names_[list].insert(entry.name).second) return false;
  }
  entries.push_back(entry);
  return true;
}

std::string_view ClassBatch::keep(std::string_view text) {
  if (keptUsed_ == kept_.size()) kept_.emplace_back();
  std::string& copy = kept_[keptUsed_++];
  copy.assign(text.data(), text.size());
  return copy;
}

}  // namespace quintrel
