// ThreadTable: the accepted calls per traced thread: how many, their time,
// and the stamps of the first and the last. It numbers the threads in the
// order they appear, for the timeline, and owns their rows.
#ifndef QUINTREL_ANALYSIS_THREAD_TABLE_H_
#define QUINTREL_ANALYSIS_THREAD_TABLE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/profile_analytics.h"
#include "analysis/saturating_add.h"
#include "analysis/text_index.h"

namespace quintrel {

class ThreadTable {
 public:
  // Adds a call of the thread `id`; returns the thread's number. Inline:
  // every accepted call is counted. Ids of one to eight bytes, most of them,
  // are found in the table of recent ids by their bytes as one word, without
  // a hash of the text.
  uint32_t add(std::string_view id, int64_t durationMs, std::string_view stamp) {
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
  // The number of the thread `id`, or kNone where it has had no call.
  static constexpr uint32_t kNone = TextIndex::kNone;
  uint32_t find(std::string_view id) const { return numbers_.find(id); }
  // The threads numbered so far.
  size_t size() const { return rows_.size(); }
  // The rows by number, their ids filled in, moved out: the table is left
  // empty, so that the rows are never held twice.
  std::vector<ThreadRow> takeRows();

 private:
  // A short thread id met lately, as TailWord reads it, and its number.
  struct Recent {
    uint64_t word = 0;
    uint32_t size = 0;  // 0: none
    uint32_t number = 0;
  };
  static constexpr int kRecentBits = 6;
  // The number of the thread `id`, whose call has `stamp`, not found among
  // the recent ids; a new thread gets a row. A short id is kept in `recent`
  // (null for a long one).
  uint32_t numberOf(std::string_view id, std::string_view stamp, Recent* recent);

  TextIndex numbers_;
  std::vector<ThreadRow> rows_;  // by number; their ids are the index's texts
  Recent recent_[1 << kRecentBits] = {};
};

// Ranks rows by time and calls (both descending), then id.
void RankThreads(std::vector<ThreadRow>* rows);

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_THREAD_TABLE_H_
