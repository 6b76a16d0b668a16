// ApiTable: per API name the number of calls and their total duration, the
// table the summary reports print, kept at close to what they print: the
// names packed in a TextArena, a row of 32 bytes per name in blocks that
// never move (a vector that doubles would need three times its rows while it
// grows) and, while calls are added, an index of 4 bytes a slot. The table
// owns the names; a row's name points into them and stays valid as long as
// the table, moves included.
#ifndef QUINTREL_ANALYSIS_API_TABLE_H_
#define QUINTREL_ANALYSIS_API_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "analysis/text_arena.h"

namespace quintrel {

// Per API name: the number of calls and their total duration.
struct ApiSummaryRow {
  int64_t frequency = 0;
  double durationMs = 0.0;
  std::string_view apiName;
};

class ApiTable {
 public:
  using const_iterator = std::deque<ApiSummaryRow>::const_iterator;
  using const_reverse_iterator = std::deque<ApiSummaryRow>::const_reverse_iterator;

  ApiTable() = default;
  ApiTable(const ApiTable&) = delete;
  ApiTable& operator=(const ApiTable&) = delete;
  ApiTable(ApiTable&&) = default;
  ApiTable& operator=(ApiTable&&) = default;
  // The rows as given, their names copied.
  ApiTable(std::initializer_list<ApiSummaryRow> rows);

  // Counts a call of `durationMs` to `name`, copying a name not seen before.
  void add(std::string_view name, int64_t durationMs);
  // Puts the rows in report order, ascending by total, rows of equal totals
  // in ascending name order, and drops the index: nothing can be added
  // after.
  void sort();

  size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  const ApiSummaryRow& operator[](size_t index) const { return rows_[index]; }
  const_iterator begin() const { return rows_.begin(); }
  const_iterator end() const { return rows_.end(); }
  const_reverse_iterator rbegin() const { return rows_.rbegin(); }
  const_reverse_iterator rend() const { return rows_.rend(); }

 private:
  static constexpr uint32_t kEmpty = 0xFFFFFFFF;
  void grow();

  TextArena names_;
  std::deque<ApiSummaryRow> rows_;
  // The rows by the hashes of their names, kEmpty where free: a power of two
  // of slots, at most half used. A name is compared on every probe, which
  // costs less than the bytes of its hash would.
  std::vector<uint32_t> slots_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_API_TABLE_H_
