#include "analysis/query_log.h"

namespace quintrel {

void QueryLog::onQueryRecord(QueryRecord* record) {
  if (size_ == blocks_.size() * kBlockRecords) {
    blocks_.push_back(std::unique_ptr<Stored[]>(new Stored[kBlockRecords]));
  }
  blocks_[size_ / kBlockRecords][size_ % kBlockRecords] =
      Stored{texts_.add(&record->queryText), record->durationMs, record->rowCount, record->api};
  ++size_;
}

QueryView QueryLog::at(size_t index) const {
  const Stored& stored = blocks_[index / kBlockRecords][index % kBlockRecords];
  return QueryView{QueryApiName(stored.api), texts_.view(stored.text), stored.durationMs,
                   stored.rowCount};
}

size_t QueryLog::bytesHeld() const {
  return blocks_.capacity() * sizeof(blocks_[0]) + blocks_.size() * kBlockRecords * sizeof(Stored) +
         texts_.bytesHeld();
}

}  // namespace quintrel
