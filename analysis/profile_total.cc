#include "analysis/profile_total.h"

#include <utility>

#include "analysis/saturating_add.h"

namespace quintrel {

void ProfileTotal::add(MergeableProfile profile) {
  flush();
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
  flush();
  MergeableProfile total = std::move(profile_);
  profile_ = MergeableProfile();
  started_ = false;
  return total;
}

void ProfileTotal::flush() {
  for (Rows& rows : rows_) {
    for (auto& [name, row] : rows) {
      row.merged->durations.add(row.counts);
      Counts().swap(row.counts);
    }
    rows.clear();
  }
  for (auto& last : last_) last.clear();
  indexed_ = false;
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
    for (auto& [name, row] : *classes(ClassBatch::List(list))) rows.emplace(name, Row{&row, {}});
  }
  indexed_ = true;
}

ProfileTotal::Row* ProfileTotal::row(ClassBatch::List list, size_t at, std::string_view name) {
  std::vector<Rows::value_type*>& last = last_[list];
  if (at < last.size() && last[at]->first == name) return &last[at]->second;
  Rows& rows = rows_[list];
  auto found = rows.find(name);
  if (found == rows.end()) {
    auto placed = classes(list)->emplace(std::string(name), MergeableClass());
    found = rows.emplace(placed.first->first, Row{&placed.first->second, {}}).first;
  }
  if (at >= last.size()) last.resize(at + 1);
  last[at] = &*found;
  return &found->second;
}

void ProfileTotal::addCounts(const Counts::value_type* first, const Counts::value_type* last,
                             Counts* into) {
  // In place while each duration is one the list holds.
  auto at = into->begin();
  for (; first != last; ++first) {
    while (at != into->end() && at->first < first->first) ++at;
    if (at == into->end() || at->first != first->first) break;
    at->second += first->second;
  }
  if (first == last) return;
  spare_.clear();
  spare_.reserve(into->size() + size_t(last - first));
  auto kept = into->begin();
  while (kept != into->end() && first != last) {
    if (kept->first < first->first) {
      spare_.push_back(*kept++);
    } else if (first->first < kept->first) {
      spare_.push_back(*first++);
    } else {
      spare_.emplace_back(kept->first, kept->second + first->second);
      ++kept;
      ++first;
    }
  }
  spare_.insert(spare_.end(), kept, into->end());
  spare_.insert(spare_.end(), first, last);
  into->swap(spare_);
}

// As MergeableProfile::merge merges a class: the histograms and fetches
// added, the worst example kept, the earlier one among equals.
void ProfileTotal::addClasses(const ClassBatch& batch, ClassBatch::List list) {
  const std::vector<BatchClass>& entries = batch.list(list);
  for (size_t at = 0; at < entries.size(); ++at) {
    const BatchClass& entry = entries[at];
    Row& found = *row(list, at, entry.name);
    const auto* counts = batch.counts.data() + entry.firstCount;
    addCounts(counts, counts + entry.counts, &found.counts);
    MergeableClass& row = *found.merged;
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
