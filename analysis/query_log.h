// QueryLog: every query of a trace, in the order the reports list them, kept
// in bulk: the records in large blocks, their texts in a TextArena. A record
// costs its text's length plus 24 bytes. The log owns everything it holds.
#ifndef QUINTREL_ANALYSIS_QUERY_LOG_H_
#define QUINTREL_ANALYSIS_QUERY_LOG_H_

#include <cstddef>
#include <memory>
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

  size_t size() const { return size_; }
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

  std::vector<std::unique_ptr<Stored[]>> blocks_;
  size_t size_ = 0;
  TextArena texts_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_QUERY_LOG_H_
