#include "app/threaded_source.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "app/file_source.h"
#include "tests/support/compressed_data.h"
#include "tests/support/memory_source.h"

namespace quintrel {
namespace {

using quintrel_test::MemorySource;
using quintrel_test::ReadAll;
using quintrel_test::ReadOutcome;
using quintrel_test::SampleText;

// Bytes without end; counts its reads and says when it is destroyed.
class EndlessSource : public ByteSource {
 public:
  EndlessSource(std::atomic<int>* reads, std::atomic<bool>* destroyed)
      : reads_(reads), destroyed_(destroyed) {}
  ~EndlessSource() override { *destroyed_ = true; }
  long read(char* buffer, size_t size) override {
    ++*reads_;
    std::memset(buffer, 'x', size);
    return static_cast<long>(size);
  }
  std::string error() const override { return ""; }
  uint64_t bytesConsumed() const override { return 0; }

 private:
  std::atomic<int>* reads_;
  std::atomic<bool>* destroyed_;
};

// Another source's bytes; says when a read of it has begun.
class WatchedSource : public ByteSource {
 public:
  WatchedSource(std::unique_ptr<ByteSource> source, std::atomic<bool>* reading)
      : source_(std::move(source)), reading_(reading) {}
  long read(char* buffer, size_t size) override {
    *reading_ = true;
    return source_->read(buffer, size);
  }
  std::string error() const override { return source_->error(); }
  uint64_t bytesConsumed() const override { return source_->bytesConsumed(); }

 private:
  std::unique_ptr<ByteSource> source_;
  std::atomic<bool>* reading_;
};

TEST(ThreadedSourceTest, PassesBytesEndAndFailureThroughInOrder) {
  const std::string large = SampleText(500000, 4);
  const std::string small = SampleText(3000, 6);
  const std::string ioError = "Input/output error";
  struct Case {
    const std::string* text;
    size_t blockSize;
    size_t blockCount;
    size_t piece;  // most bytes the wrapped source gives per read
    size_t readSize;
    std::string failure;  // of the wrapped source after its bytes
  } cases[] = {
      {&large, ThreadedSource::kBlockSize, ThreadedSource::kBlockCount, SIZE_MAX, 1 << 20, ""},
      {&large, ThreadedSource::kBlockSize, ThreadedSource::kBlockCount, SIZE_MAX, 1, ""},
      {&large, 4096, 3, 1000, 100, ""},
      {&large, 4096, 3, 1000, 100, ioError},
      {&small, 100, 1, SIZE_MAX, 4096, ioError},
      {&small, 16, 2, 5, 7, ""},
      {&small, 1, 1, 1, 1, ""},
      {&small, 1, 1, 1, 1, ioError},
      {&small, 7, 4, SIZE_MAX, 3000, ioError},
  };
  const std::string empty;
  for (const Case& c : cases) {
    for (const std::string* text : {c.text, &empty}) {
      SCOPED_TRACE(std::to_string(text->size()) + " bytes in " + std::to_string(c.blockCount) +
                   " blocks of " + std::to_string(c.blockSize) + ", pieces of " +
                   std::to_string(c.piece) + ", reads of " + std::to_string(c.readSize) +
                   (c.failure.empty() ? "" : ", failing"));
      ThreadedSource source(std::make_unique<MemorySource>(*text, c.piece, c.failure), c.blockSize,
                            c.blockCount);
      EXPECT_EQ(source.error(), "");
      ReadOutcome outcome = ReadAll(&source, c.readSize);
      EXPECT_TRUE(outcome.bytes == *text);
      EXPECT_EQ(outcome.last, c.failure.empty() ? 0 : -1);
      EXPECT_EQ(outcome.error, c.failure);
      EXPECT_EQ(source.bytesConsumed(), text->size());
    }
  }
}

TEST(ThreadedSourceTest, CountsTheBytesConsumedForWhatWasReadNotWhatWasReadAhead) {
  ThreadedSource source(std::make_unique<MemorySource>(std::string(1000, 'a'), 100), 100, 4);
  char buffer[10];
  ASSERT_EQ(source.read(buffer, sizeof buffer), 10);
  EXPECT_EQ(source.bytesConsumed(), 100u);
  for (int i = 0; i < 10; ++i) ASSERT_EQ(source.read(buffer, sizeof buffer), 10);
  EXPECT_EQ(source.bytesConsumed(), 200u);
}

TEST(ThreadedSourceTest, StopsWhenDestroyedEarly) {
  for (int readBefore : {0, 1, 5000}) {
    SCOPED_TRACE(std::to_string(readBefore) + " bytes read");
    std::atomic<int> reads{0};
    std::atomic<bool> destroyed{false};
    {
      ThreadedSource source(std::make_unique<EndlessSource>(&reads, &destroyed), 1024, 2);
      char buffer[100];
      for (int done = 0; done < readBefore;) done += static_cast<int>(source.read(buffer, 100));
      // The reading thread fills both blocks and then waits for a free one.
      while (reads < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(destroyed);
    EXPECT_LE(reads, readBefore / 1024 + 3);
  }
}

TEST(ThreadedSourceTest, WaitsForAReadInProgressWhenDestroyed) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  std::atomic<bool> reading{false};
  auto source = std::make_unique<ThreadedSource>(
      std::make_unique<WatchedSource>(std::make_unique<FileSource>(ends[0]), &reading));
  // The reading thread waits in read() on the empty pipe.
  while (!reading) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::atomic<bool> destroyed{false};
  std::thread destroyer([&] {
    source.reset();
    destroyed = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(destroyed);
  ASSERT_EQ(write(ends[1], "abc", 3), 3);
  destroyer.join();
  EXPECT_TRUE(destroyed);
  close(ends[1]);
}

}  // namespace
}  // namespace quintrel
