#include "analysis/profile_total.h"

#include <utility>

#include "analysis/saturating_add.h"

namespace quintrel {

void ProfileTotal::add(MergeableProfile profile) {
  if (started_) {
    profile_.merge(profile);
  } else {
    profile_ = std::move(profile);
    started_ = true;
  }
  indexed_ = false;
}

void ProfileTotal::add(MergeableProfile* rest, const ClassBatch& classes) {
  if (!indexed_) index();
  if (started_) {
    profile_.merge(*rest);
  } else {
    profile_ = std::move(*rest);
    started_ = true;
  }
  for (int list = 0; list < ClassBatch::kLists; ++list) {
    addClasses(classes, ClassBatch::List(list));
  }
}

MergeableProfile ProfileTotal::take() {
  MergeableProfile total = std::move(profile_);
  profile_ = MergeableProfile();
  started_ = false;
  indexed_ = false;
  for (Rows& rows : rows_) rows.clear();
  for (auto& last : last_) last.clear();
  return total;
}

ProfileTotal::Classes* ProfileTotal::classes(ClassBatch::List list) {
  if (list == ClassBatch::kApis) return &profile_.apis;
  return list == ClassBatch::kQueryClasses ? &profile_.queryClasses : &profile_.callClasses;
}

void ProfileTotal::index() {
  for (int list = 0; list < ClassBatch::kLists; ++list) {
    Rows& rows = rows_[list];
    rows.clear();
    last_[list].clear();
    for (auto& [name, row] : *classes(ClassBatch::List(list))) rows.emplace(name, &row);
  }
  indexed_ = true;
}

MergeableClass* ProfileTotal::row(ClassBatch::List list, size_t at, std::string_view name) {
  std::vector<Rows::value_type*>& last = last_[list];
  if (at < last.size() && last[at]->first == name) return last[at]->second;
  Rows& rows = rows_[list];
  auto found = rows.find(name);
  if (found == rows.end()) {
    auto placed = classes(list)->emplace(std::string(name), MergeableClass());
    found = rows.emplace(placed.first->first, &placed.first->second).first;
  }
  if (at >= last.size()) last.resize(at + 1);
  last[at] = &*found;
  return found->second;
}

// As MergeableProfile::merge merges a class: the histograms and fetches
// added, the worst example kept, the earlier one among equals.
void ProfileTotal::addClasses(const ClassBatch& batch, ClassBatch::List list) {
  const std::vector<BatchClass>& entries = batch.list(list);
  for (size_t at = 0; at < entries.size(); ++at) {
    const BatchClass& entry = entries[at];
    MergeableClass& row = *this->row(list, at, entry.name);
    for (size_t pair = entry.firstCount; pair < entry.firstCount + entry.counts; ++pair) {
      row.durations.add(batch.counts[pair].first, batch.counts[pair].second);
    }
    SaturatingAdd(&row.fetches, entry.fetches);
    if (entry.example.ms > row.example.ms) {
      row.example.text.assign(entry.example.text);
      row.example.ms = entry.example.ms;
      row.example.thread.assign(entry.example.thread);
      row.example.start.assign(entry.example.start);
    }
  }
}

}  // namespace quintrel
