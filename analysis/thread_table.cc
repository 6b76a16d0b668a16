#include "analysis/thread_table.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <utility>

#include "analysis/saturating_add.h"

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

uint32_t ThreadTable::add(std::string_view id, int64_t durationMs, std::string_view stamp) {
  // Ids of one to eight bytes, most of them, are found in the table of
  // recent ids by their bytes as one word, without a hash of the text.
  bool shortId = id.size() - 1 < 8;
  uint64_t word = shortId ? TailWord(id, 0) : 0;
  Recent& recent = recent_[(word * 0x9E3779B97F4A7C15ULL) >> (64 - kRecentBits)];
  uint32_t number = shortId && recent.word == word && recent.size == id.size()
                        ? recent.number
                        : numberOf(id, stamp, shortId ? &recent : nullptr);
  ThreadRow& row = rows_[number];
  ++row.calls;
  SaturatingAdd(&row.dmclMs, durationMs);
  // The stamps of a thread mostly keep their length: copied in place then.
  if (row.last.size() == stamp.size()) {
    CopyText(stamp, &row.last[0]);
  } else {
    row.last.assign(stamp);
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
