// ClassBatch: the classes of one saved profile as its reader finds them,
// before they go anywhere: per list (APIs, query classes, call classes) the
// name, fetches and worst example of each class as views of texts the
// reader keeps alive, and the (duration, count) pairs of every histogram in
// one vector. It is cleared and refilled for each profile, keeping what it
// allocated, so that reading many profiles allocates nothing per class once
// the first is read. It owns its vectors and the copies of texts it was
// asked to keep; the other views point into the caller's document.
#ifndef QUINTREL_ANALYSIS_CLASS_BATCH_H_
#define QUINTREL_ANALYSIS_CLASS_BATCH_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace quintrel {

struct ExampleView {
  std::string_view text, thread, start;
  int64_t ms = -1;  // -1: none
};

struct BatchClass {
  std::string_view name;
  int64_t fetches = 0;
  size_t firstCount = 0;  // into ClassBatch::counts
  size_t counts = 0;
  int64_t calls = 0;  // the sum of the counts
  ExampleView example;
};

class ClassBatch {
 public:
  enum List { kApis, kQueryClasses, kCallClasses, kLists };

  // Empties every list, keeping the memory.
  void clear();
  // Empties `list` alone (a list given twice: the last one stands).
  void clearList(List list);
  // Appends `entry` to `list` unless a class of its name is there already;
  // false then.
  bool add(List list, const BatchClass& entry);
  const std::vector<BatchClass>& list(List list) const { return lists_[list]; }

  // A copy of `text` that lasts until clear(), for a text the document does
  // not hold as it reads (one with escapes).
  std::string_view keep(std::string_view text);

  // (duration, count) pairs, ascending within each class.
  std::vector<std::pair<int64_t, int64_t>> counts;

 private:
  std::vector<BatchClass> lists_[kLists];
  // The largest name of each list so far: the writer writes classes sorted
  // by name, so that a name above it is new without a search.
  std::string_view largest_[kLists];
  // The names of a list that came out of order, and all before them.
  std::unordered_set<std::string_view> names_[kLists];
  bool unordered_[kLists] = {};
  // Kept texts; a deque, so that keeping one moves no other.
  std::deque<std::string> kept_;
  size_t keptUsed_ = 0;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_CLASS_BATCH_H_
