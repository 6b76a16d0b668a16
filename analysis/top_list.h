// TopList: a bounded list of the largest entries by duration, such as the
// most expensive calls and the longest queries. It keeps exactly what
// appending every entry, sorting them stably by duration and dropping the
// first ones beyond the limit would keep: among equal durations the earlier
// entry goes first. A heap, so that an entry costs the logarithm of the
// entries kept, however many of equal duration arrive. It owns its entries;
// `Entry` has a `durationMs`.
#ifndef QUINTREL_ANALYSIS_TOP_LIST_H_
#define QUINTREL_ANALYSIS_TOP_LIST_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace quintrel {

template <typename Entry>
class TopList {
 public:
  explicit TopList(size_t limit) : limit_(limit) {}

  // Whether an entry of `durationMs` would be kept: asked before one is
  // built, so that most entries cost nothing.
  bool keeps(double durationMs) const {
    if (heap_.size() < limit_) return true;
    return limit_ > 0 && durationMs >= heap_.front().entry.durationMs;
  }
  void add(Entry entry) {
    uint64_t sequence = added_++;
    if (!keeps(entry.durationMs)) return;
    if (heap_.size() == limit_) {
      std::pop_heap(heap_.begin(), heap_.end(), &Outranks);
      heap_.back() = Ranked{std::move(entry), sequence};
    } else {
      heap_.push_back(Ranked{std::move(entry), sequence});
    }
    std::push_heap(heap_.begin(), heap_.end(), &Outranks);
  }
  // The entries kept, ascending by duration, among equal durations the
  // earlier first; leaves the list empty.
  std::vector<Entry> take() {
    std::sort(heap_.begin(), heap_.end(),
              [](const Ranked& a, const Ranked& b) { return Outranks(b, a); });
    std::vector<Entry> entries;
    entries.reserve(heap_.size());
    for (Ranked& ranked : heap_) entries.push_back(std::move(ranked.entry));
    heap_.clear();
    return entries;
  }

 private:
  struct Ranked {
    Entry entry;
    uint64_t sequence;  // the order it was added in
  };
  // Whether `a` stays longer than `b`: a longer entry, or of equal duration a
  // later one. The heap's front is the entry to go first.
  static bool Outranks(const Ranked& a, const Ranked& b) {
    return a.entry.durationMs > b.entry.durationMs ||
           (a.entry.durationMs == b.entry.durationMs && a.sequence > b.sequence);
  }

  size_t limit_;
  std::vector<Ranked> heap_;
  uint64_t added_ = 0;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TOP_LIST_H_
