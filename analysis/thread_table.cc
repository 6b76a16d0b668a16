#include "analysis/thread_table.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <utility>

namespace quintrel {

uint32_t ThreadTable::numberOf(std::string_view id, std::string_view stamp, Recent* recent) {
  bool added;
  uint32_t number = numbers_.numberOf(id, &added);
  if (added) rows_.push_back(ThreadRow{"", 0, 0, std::string(stamp), std::string(stamp)});
  if (recent != nullptr) {
    *recent = Recent{TailWord(id, 0), static_cast<uint32_t>(id.size()), number};
  }
  return number;
}

std::vector<ThreadRow> ThreadTable::takeRows() {
  std::vector<ThreadRow> rows = std::move(rows_);
  for (size_t number = 0; number < rows.size(); ++number) {
    rows[number].id = numbers_.text(static_cast<uint32_t>(number));
  }
  *this = ThreadTable();
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
