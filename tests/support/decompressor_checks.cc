#include "tests/support/decompressor_checks.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "tests/support/memory_source.h"

namespace quintrel_test {

namespace {

// Pieces the compressed bytes arrive in, and sizes the reader is read with.
struct Pattern {
  size_t piece;
  size_t readSize;
};
const Pattern kPatterns[] = {{SIZE_MAX, 1 << 20}, {SIZE_MAX, 1}, {1, 4096}, {3, 7}, {65536, 1000}};

std::string Describe(const char* name, const Pattern& pattern) {
  return std::string(name) + ", pieces of " + std::to_string(pattern.piece) + ", reads of " +
         std::to_string(pattern.readSize);
}

}  // namespace

void ExpectWholeStreams(const std::vector<WholeStream>& streams, const Decompressor& make) {
  for (const WholeStream& stream : streams) {
    for (const Pattern& pattern : kPatterns) {
      SCOPED_TRACE(Describe(stream.name, pattern));
      auto source = make(std::make_unique<MemorySource>(stream.compressed, pattern.piece));
      ReadOutcome outcome = ReadAll(source.get(), pattern.readSize);
      EXPECT_EQ(outcome.last, 0);
      EXPECT_EQ(outcome.error, "");
      EXPECT_EQ(outcome.bytes.size(), stream.text.size());
      EXPECT_TRUE(outcome.bytes == stream.text);
      EXPECT_EQ(source->bytesConsumed(), stream.compressed.size());
    }
  }
}

void ExpectDamagedStreams(const std::vector<DamagedStream>& streams, const Decompressor& make) {
  for (const DamagedStream& stream : streams) {
    for (const Pattern& pattern : kPatterns) {
      SCOPED_TRACE(Describe(stream.name, pattern));
      auto source =
          make(std::make_unique<MemorySource>(stream.compressed, pattern.piece, stream.failure));
      ReadOutcome outcome = ReadAll(source.get(), pattern.readSize);
      EXPECT_EQ(outcome.last, -1);
      if (stream.error.back() == '(') {
        EXPECT_EQ(outcome.error.substr(0, stream.error.size()), stream.error) << outcome.error;
      } else {
        EXPECT_EQ(outcome.error, stream.error);
      }
      if (stream.expected.empty()) continue;
      EXPECT_GE(outcome.bytes.size(), stream.mustReturn);
      EXPECT_TRUE(outcome.bytes == stream.expected.substr(0, outcome.bytes.size()));
    }
  }
}

std::string Flip(std::string bytes, size_t position) {
  bytes[position] = static_cast<char>(bytes[position] ^ 0x55);
  return bytes;
}

}  // namespace quintrel_test
