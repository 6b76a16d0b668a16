#include "analysis/thread_table.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "analysis/saturating_add.h"

namespace quintrel {

uint32_t ThreadTable::add(std::string_view id, int64_t durationMs, std::string_view stamp) {
  // Calls of one thread mostly come in runs; the last thread is tried first.
  if (rows_.empty() || !SameText(numbers_.text(last_), id)) {
    bool added;
    last_ = numbers_.numberOf(id, &added);
    if (added) rows_.push_back(ThreadRow{"", 0, 0, std::string(stamp), ""});
  }
  ThreadRow& row = rows_[last_];
  ++row.calls;
  SaturatingAdd(&row.dmclMs, durationMs);
  // The stamps of a thread mostly keep their length: copied in place then.
  if (row.last.size() == stamp.size()) {
    std::memcpy(&row.last[0], stamp.data(), stamp.size());
  } else {
    row.last.assign(stamp);
  }
  return last_;
}

std::vector<ThreadRow> ThreadTable::rows() const {
  std::vector<ThreadRow> rows = rows_;
  for (size_t number = 0; number < rows.size(); ++number) {
    rows[number].id = numbers_.text(static_cast<uint32_t>(number));
  }
  return rows;
}

void RankThreads(std::vector<ThreadRow>* rows) {
  std::sort(rows->begin(), rows->end(), [](const ThreadRow& a, const ThreadRow& b) {
    // More DMCL time first, then more calls, then by id.
    return std::make_tuple(b.dmclMs, b.calls, std::string_view(a.id)) <
           std::make_tuple(a.dmclMs, a.calls, std::string_view(b.id));
  });
}

}  // namespace quintrel
