#include "analysis/query_log.h"

#include <new>

namespace quintrel {

void QueryLog::onQueryRecord(QueryRecord* record) {
  if (size_ == blocks_.size() * kBlockRecords) {
    blocks_.push_back(std::unique_ptr<Stored[]>(new Stored[kBlockRecords]));
  }
  TextArena::Ref text = texts_.add(&record->queryText);
  if (text.chunk >= (1u << 29)) throw std::bad_alloc();  // 2^29 chunks: no trace gets here
  blocks_[size_ / kBlockRecords][size_ % kBlockRecords] =
      Stored{text.chunk,       static_cast<uint32_t>(record->api),
             text.offset,      text.length,
             record->rowCount, record->durationMs};
  ++size_;
}

QueryView QueryLog::at(size_t index) const {
  const Stored& stored = blocks_[index / kBlockRecords][index % kBlockRecords];
  TextArena::Ref text{stored.chunk, stored.offset, stored.length};
  return QueryView{QueryApiName(static_cast<QueryApi>(stored.api)), texts_.view(text),
                   stored.durationMs, stored.rowCount};
}

size_t QueryLog::bytesHeld() const {
  return blocks_.capacity() * sizeof(blocks_[0]) + blocks_.size() * kBlockRecords * sizeof(Stored) +
         texts_.bytesHeld();
}

}  // namespace quintrel
