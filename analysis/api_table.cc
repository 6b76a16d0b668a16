#include "analysis/api_table.h"

#include <algorithm>
#include <new>
#include <tuple>

#include "analysis/text_index.h"

namespace quintrel {

ApiTable::ApiTable(std::initializer_list<ApiSummaryRow> rows) {
  for (const ApiSummaryRow& row : rows) {
    rows_.push_back(row);
    rows_.back().apiName = names_.view(names_.copy(row.apiName));
  }
}

void ApiTable::add(std::string_view name, int64_t durationMs) {
  if (slots_.empty()) slots_.assign(16, kEmpty);
  const size_t mask = slots_.size() - 1;
  size_t at = HashText(name) & mask;
  for (; slots_[at] != kEmpty; at = (at + 1) & mask) {
    ApiSummaryRow& row = rows_[slots_[at]];
    if (SameText(row.apiName, name)) {
      row.frequency += 1;
      row.durationMs += static_cast<double>(durationMs);
      return;
    }
  }
  if (rows_.size() == kEmpty) throw std::bad_alloc();  // four billion names
  rows_.push_back(ApiSummaryRow{1, static_cast<double>(durationMs), {}});
  rows_.back().apiName = names_.view(names_.copy(name));
  slots_[at] = static_cast<uint32_t>(rows_.size() - 1);
  if (2 * rows_.size() > slots_.size()) grow();
}

void ApiTable::sort() {
  slots_ = std::vector<uint32_t>();
  std::sort(rows_.begin(), rows_.end(), [](const ApiSummaryRow& a, const ApiSummaryRow& b) {
    return std::tie(a.durationMs, a.apiName) < std::tie(b.durationMs, b.apiName);
  });
}

void ApiTable::grow() {
  slots_.assign(slots_.size() * 2, kEmpty);
  const size_t mask = slots_.size() - 1;
  for (uint32_t row = 0; row < rows_.size(); ++row) {
    size_t at = HashText(rows_[row].apiName) & mask;
    while (slots_[at] != kEmpty) at = (at + 1) & mask;
    slots_[at] = row;
  }
}

}  // namespace quintrel
