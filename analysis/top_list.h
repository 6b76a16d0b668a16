// Bounded lists of the largest entries by duration, kept in ascending order:
// the ten most expensive calls, the twenty longest queries.
#ifndef QUINTREL_ANALYSIS_TOP_LIST_H_
#define QUINTREL_ANALYSIS_TOP_LIST_H_

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace quintrel {

// Adds `entry` to `list` (ascending by durationMs, at most `limit` entries)
// exactly as appending it, sorting the list stably and dropping its first
// entries beyond `limit` would: it goes after every entry of equal or smaller
// duration, so among equal durations the earlier entry is dropped first. An
// entry that would be dropped at once is not kept.
template <typename Entry>
void AddToTopList(Entry entry, size_t limit, std::vector<Entry>* list) {
  if (list->size() == limit && (limit == 0 || entry.durationMs < list->front().durationMs)) return;
  auto position =
      std::upper_bound(list->begin(), list->end(), entry.durationMs,
                       [](double value, const Entry& other) { return value < other.durationMs; });
  list->insert(position, std::move(entry));
  if (list->size() > limit) list->erase(list->begin());
}

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TOP_LIST_H_
