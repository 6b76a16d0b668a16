// ThreadedSource: reads another ByteSource on a thread of its own, ahead of
// the caller, into a few fixed blocks, so that reading (and decompressing)
// the input overlaps with what the caller does with the bytes. A run does
// not use it: its LineScanner reads, decompresses and splits on a thread of
// its own, which measured faster; bench/source_bench.sh compares the two. It owns the
// source it reads, the thread and the blocks; memory stays at
// blockCount * blockSize bytes.
//
// One thread reads from it; the source it wraps is used only by the reading
// thread from construction to destruction. End and failure of the wrapped
// source reach the caller after every byte read before them.
#ifndef QUINTREL_APP_THREADED_SOURCE_H_
#define QUINTREL_APP_THREADED_SOURCE_H_

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/byte_source.h"

namespace quintrel {

class ThreadedSource : public ByteSource {
 public:
  static constexpr size_t kBlockSize = 1 << 20;
  static constexpr size_t kBlockCount = 4;

  // Takes over `source` and starts reading it into `blockCount` blocks of
  // `blockSize` bytes (both at least 1).
  explicit ThreadedSource(std::unique_ptr<ByteSource> source, size_t blockSize = kBlockSize,
                          size_t blockCount = kBlockCount);
  // Stops the reading thread and destroys the wrapped source; the caller may
  // stop reading at any point. A read of the wrapped source in progress
  // (one block at most) runs to its end first: over a pipe, until the writer
  // writes or closes it.
  ~ThreadedSource() override;
  ThreadedSource(const ThreadedSource&) = delete;
  ThreadedSource& operator=(const ThreadedSource&) = delete;

  // Copies read-ahead bytes to the caller's `buffer` (not kept after the
  // call), waiting (without spinning) for the reading thread when none are
  // ready.
  long read(char* buffer, size_t size) override;
  // The wrapped source's failure, once read() has returned -1.
  std::string error() const override { return error_; }
  // The wrapped source's count as it stood after the bytes read so far.
  uint64_t bytesConsumed() const override { return consumed_; }

 private:
  struct Block {
    std::vector<char> bytes;
    size_t size = 0;        // bytes filled
    uint64_t consumed = 0;  // the wrapped source's count after filling it
  };

  // The reading thread: fills free blocks until the end, a failure or stop.
  void readAhead();
  // Waits for a free block or stop; false on stop.
  bool waitForFreeBlock();
  // Hands the block the caller read out back to the reading thread and
  // waits for the next; false when the wrapped source ended or failed.
  bool nextBlock();

  std::unique_ptr<ByteSource> source_;
  std::vector<Block> blocks_;  // a ring; blocks_[head_] is the caller's

  std::mutex mutex_;
  std::condition_variable filled_;  // a block was filled or the source ended
  std::condition_variable freed_;   // a block was freed or stop was asked
  // Guarded by mutex_:
  size_t filledCount_ = 0;  // filled blocks, the caller's included
  bool stopping_ = false;
  bool finished_ = false;  // the wrapped source ended or failed after the filled blocks
  long finalResult_ = 0;   // 0 or -1, once finished_
  std::string finalError_;
  uint64_t finalConsumed_ = 0;

  // The reading thread's only:
  size_t tail_ = 0;  // next block to fill
  // The caller's only:
  size_t head_ = 0;       // block being read out
  bool holding_ = false;  // blocks_[head_] is filled and being read out
  size_t offset_ = 0;     // bytes of blocks_[head_] already read out
  bool done_ = false;     // read() returns result_ from now on
  long result_ = 0;
  std::string error_;
  uint64_t consumed_ = 0;

  std::thread thread_;  // last, started once everything above is ready
};

}  // namespace quintrel

#endif  // QUINTREL_APP_THREADED_SOURCE_H_
