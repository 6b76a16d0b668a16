#include "analysis/top_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quintrel {
namespace {

struct Entry {
  double durationMs;
  int id;
};

// What sorting every entry stably by duration and dropping the first ones
// beyond `limit` keeps, as ids.
std::vector<int> ByStableSort(std::vector<Entry> entries, size_t limit) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.durationMs < b.durationMs; });
  std::vector<int> ids;
  for (size_t i = entries.size() > limit ? entries.size() - limit : 0; i < entries.size(); ++i) {
    ids.push_back(entries[i].id);
  }
  return ids;
}

TEST(TopListTest, KeepsWhatAStableSortKeeps) {
  const std::vector<std::vector<double>> durations = {
      {}, {5}, {1, 2, 3}, {3, 3, 3, 3, 3}, {9, 1, 9, 1, 9, 5, 5, 0, 9}, {2, 1, 2, 1, 2, 1, 2, 1}};
  for (const std::vector<double>& list : durations) {
    for (size_t limit : {0, 1, 2, 3, 10}) {
      std::vector<Entry> entries;
      TopList<Entry> top(limit);
      for (double duration : list) {
        entries.push_back({duration, int(entries.size())});
        top.add(entries.back());
      }
      std::vector<int> kept;
      for (const Entry& entry : top.take()) kept.push_back(entry.id);
      EXPECT_EQ(kept, ByStableSort(entries, limit)) << list.size() << " limit " << limit;
      EXPECT_TRUE(top.take().empty());
    }
  }
}

}  // namespace
}  // namespace quintrel
