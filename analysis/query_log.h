// QueryLog: every query of a trace, in the order the reports list them, kept
// in bulk: the records in large blocks, their texts in a TextArena, a text
// that repeats once. A record costs 24 bytes plus its text's length, unless
// the text was stored before, and 4 bytes more when the reports list the
// records in another order than they came. The log owns everything it holds.
#ifndef QUINTREL_ANALYSIS_QUERY_LOG_H_
#define QUINTREL_ANALYSIS_QUERY_LOG_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "analysis/query_record.h"
#include "analysis/text_arena.h"

namespace quintrel {

class QueryLog : public QueryRecordSink {
 public:
  QueryLog() = default;
  QueryLog(QueryLog&&) = default;
  QueryLog& operator=(QueryLog&&) = default;

  // Appends the record, taking its text.
  void onQueryRecord(QueryRecord* record) override;

  // Counts a fetch or close call of `fetchMs` to the record appended as
  // number `number`, 0 the first.
  void addFetch(size_t number, int64_t fetchMs);
  // The order the reports list the records in: the numbers of the records,
  // each once. Without it, the order they came.
  void setOrder(std::vector<uint32_t> order) { order_ = std::move(order); }

  size_t size() const { return size_; }
  // The record at `index` in the order the reports list them.
  QueryView at(size_t index) const;
  // The memory the log holds.
  size_t bytesHeld() const;

 private:
  // The API name shares a word with the text's chunk number, which leaves
  // room for 2^29 chunks.
  struct Stored {
    uint32_t chunk : 29;
    uint32_t api : 3;
    uint32_t offset;
    uint32_t length;
    int32_t rowCount;
    double durationMs;
  };
  static_assert(sizeof(Stored) <= 24, "a stored query costs its text plus 24 bytes");
  static constexpr size_t kBlockRecords = 4096;

  // A text stored before, found by its hash.
  struct Remembered {
    uint64_t hash = 0;
    TextArena::Ref text;
    bool used = false;
  };
  // Stores the record's text, or finds it among those stored before.
  TextArena::Ref store(TextBuffer* text);
  void remember(uint64_t hash, TextArena::Ref text);

  std::vector<std::unique_ptr<Stored[]>> blocks_;
  size_t size_ = 0;
  TextArena texts_;
  // Open addressing, a power of two of slots at most half used. Only the
  // first kRememberedTexts distinct texts are remembered: a query text that
  // repeats (a handful of them make most traces) is stored once, and a
  // trace of distinct texts pays a few megabytes at most for it.
  std::vector<Remembered> remembered_;
  size_t rememberedCount_ = 0;
  std::vector<uint32_t> order_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_QUERY_LOG_H_
