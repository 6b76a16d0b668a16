#include "app/threaded_source.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quintrel {

ThreadedSource::ThreadedSource(std::unique_ptr<ByteSource> source, size_t blockSize,
                               size_t blockCount)
    : source_(std::move(source)), blocks_(std::max<size_t>(blockCount, 1)) {
  for (Block& block : blocks_) block.bytes.resize(std::max<size_t>(blockSize, 1));
  thread_ = std::thread(&ThreadedSource::readAhead, this);
}

ThreadedSource::~ThreadedSource() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  freed_.notify_one();
  thread_.join();
}

long ThreadedSource::read(char* buffer, size_t size) {
  if (done_) return result_;
  if (size == 0) return 0;
  while (!holding_ || offset_ == blocks_[head_].size) {
    if (!nextBlock()) return result_;
  }
  const Block& block = blocks_[head_];
  size_t count = std::min(size, block.size - offset_);
  std::memcpy(buffer, block.bytes.data() + offset_, count);
  offset_ += count;
  return static_cast<long>(count);
}

bool ThreadedSource::nextBlock() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (holding_) {
    holding_ = false;
    --filledCount_;
    head_ = (head_ + 1) % blocks_.size();
    freed_.notify_one();
  }
  filled_.wait(lock, [this] { return filledCount_ > 0 || finished_; });
  if (filledCount_ > 0) {
    holding_ = true;
    offset_ = 0;
    consumed_ = blocks_[head_].consumed;
    return true;
  }
  done_ = true;
  result_ = finalResult_;
  error_ = finalError_;
  consumed_ = finalConsumed_;
  return false;
}

void ThreadedSource::readAhead() {
  while (waitForFreeBlock()) {
    Block& block = blocks_[tail_];
    long count = source_->read(block.bytes.data(), block.bytes.size());
    uint64_t consumed = source_->bytesConsumed();
    std::lock_guard<std::mutex> lock(mutex_);
    if (count <= 0) {
      finished_ = true;
      finalResult_ = count < 0 ? -1 : 0;
      if (count < 0) finalError_ = source_->error();
      finalConsumed_ = consumed;
      filled_.notify_one();
      return;
    }
    block.size = static_cast<size_t>(count);
    block.consumed = consumed;
    tail_ = (tail_ + 1) % blocks_.size();
    ++filledCount_;
    filled_.notify_one();
  }
}

bool ThreadedSource::waitForFreeBlock() {
  std::unique_lock<std::mutex> lock(mutex_);
  freed_.wait(lock, [this] { return stopping_ || filledCount_ < blocks_.size(); });
  return !stopping_;
}

}  // namespace quintrel
