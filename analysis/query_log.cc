#include "analysis/query_log.h"

#include <new>
#include <utility>

#include "analysis/text_index.h"

namespace quintrel {

namespace {
const size_t kFirstSlots = 64;
const size_t kRememberedTexts = size_t{1} << 16;
}  // namespace

void QueryLog::onQueryRecord(QueryRecord* record) {
  if (size_ == blocks_.size() * kBlockRecords) {
    blocks_.push_back(std::unique_ptr<Stored[]>(new Stored[kBlockRecords]));
  }
  TextArena::Ref text = record->sharedText != nullptr ? texts_.share(std::move(record->sharedText))
                                                      : store(&record->queryText);
  if (text.chunk >= (1u << 29)) throw std::bad_alloc();  // 2^29 chunks: no trace gets here
  blocks_[size_ / kBlockRecords][size_ % kBlockRecords] =
      Stored{text.chunk,       static_cast<uint32_t>(record->api),
             text.offset,      text.length,
             record->rowCount, record->durationMs};
  ++size_;
}

TextArena::Ref QueryLog::store(TextBuffer* text) {
  std::string_view view = text->view();
  if (view.size() >= kLargeText) return texts_.add(text);  // taken over, never compared
  if (remembered_.empty()) remembered_.resize(kFirstSlots);
  const uint64_t hash = HashText(view);
  const size_t mask = remembered_.size() - 1;
  for (size_t at = hash & mask; remembered_[at].used; at = (at + 1) & mask) {
    const Remembered& slot = remembered_[at];
    if (slot.hash == hash && texts_.view(slot.text) == view) {
      text->clear();
      return slot.text;
    }
  }
  TextArena::Ref stored = texts_.add(text);
  if (rememberedCount_ < kRememberedTexts) remember(hash, stored);
  return stored;
}

void QueryLog::remember(uint64_t hash, TextArena::Ref text) {
  if (2 * (rememberedCount_ + 1) > remembered_.size()) {
    std::vector<Remembered> slots(2 * remembered_.size());
    remembered_.swap(slots);
    rememberedCount_ = 0;
    for (const Remembered& slot : slots) {
      if (slot.used) remember(slot.hash, slot.text);
    }
  }
  const size_t mask = remembered_.size() - 1;
  size_t at = hash & mask;
  while (remembered_[at].used) at = (at + 1) & mask;
  remembered_[at] = Remembered{hash, text, true};
  ++rememberedCount_;
}

void QueryLog::addFetch(size_t number, int64_t fetchMs) {
  Stored& stored = blocks_[number / kBlockRecords][number % kBlockRecords];
  double durationMs = stored.durationMs;
  int32_t rowCount = stored.rowCount;
  AddFetch(fetchMs, &durationMs, &rowCount);
  stored.durationMs = durationMs;
  stored.rowCount = rowCount;
}

QueryView QueryLog::at(size_t index) const {
  if (!order_.empty()) index = order_[index];
  const Stored& stored = blocks_[index / kBlockRecords][index % kBlockRecords];
  TextArena::Ref text{stored.chunk, stored.offset, stored.length};
  return QueryView{QueryApiName(static_cast<QueryApi>(stored.api)), texts_.view(text),
                   stored.durationMs, stored.rowCount};
}

size_t QueryLog::bytesHeld() const {
  return blocks_.capacity() * sizeof(blocks_[0]) + blocks_.size() * kBlockRecords * sizeof(Stored) +
         texts_.bytesHeld() + remembered_.capacity() * sizeof(Remembered) +
         order_.capacity() * sizeof(uint32_t);
}

}  // namespace quintrel
