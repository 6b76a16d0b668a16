#include "analysis/thread_table.h"

#include <algorithm>
#include <tuple>

#include "analysis/saturating_add.h"

namespace quintrel {

uint32_t ThreadTable::add(std::string_view id, int64_t durationMs, std::string_view stamp) {
  // Calls of one thread mostly come in runs; the last thread is tried first.
  if (rows_.empty() || rows_[last_].id != id) {
    key_.assign(id);
    auto found = numbers_.find(key_);
    if (found == numbers_.end()) {
      found = numbers_.emplace(key_, static_cast<uint32_t>(rows_.size())).first;
      rows_.push_back(ThreadRow{std::string(id), 0, 0, std::string(stamp), ""});
    }
    last_ = found->second;
  }
  ThreadRow& row = rows_[last_];
  ++row.calls;
  SaturatingAdd(&row.dmclMs, durationMs);
  row.last.assign(stamp);
  return last_;
}

std::vector<ThreadRow> ThreadTable::ranked() const {
  std::vector<ThreadRow> rows = rows_;
  std::sort(rows.begin(), rows.end(), [](const ThreadRow& a, const ThreadRow& b) {
    // More DMCL time first, then more calls, then by id.
    return std::make_tuple(b.dmclMs, b.calls, std::string_view(a.id)) <
           std::make_tuple(a.dmclMs, a.calls, std::string_view(b.id));
  });
  return rows;
}

}  // namespace quintrel
