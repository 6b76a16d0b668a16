#include "app/gzip_source.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "tests/support/compressed_data.h"
#include "tests/support/memory_source.h"

namespace quintrel {
namespace {

using quintrel_test::GzipMember;
using quintrel_test::MemorySource;
using quintrel_test::ReadAll;
using quintrel_test::ReadOutcome;
using quintrel_test::SampleText;
using quintrel_test::ZstdFrame;

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

std::string Flip(std::string bytes, size_t position) {
  bytes[position] = static_cast<char>(bytes[position] ^ 0x55);
  return bytes;
}

TEST(GzipSourceTest, DecompressesWholeStreams) {
  const std::string small = SampleText(20000, 2);
  const std::string medium = SampleText(300000, 5);
  struct Case {
    const char* name;
    std::string compressed;
    std::string text;
  } cases[] = {
      {"one member", GzipMember(small), small},
      {"stored blocks", GzipMember(small, 0), small},
      {"level 9, many blocks", GzipMember(medium, 9), medium},
      {"level 1, many blocks", GzipMember(medium, 1), medium},
      {"full header", GzipMember(small, 6, "trace.trc"), small},
      {"header longer than a read", GzipMember(small, 6, std::string(300000, 'n')), small},
      {"three members", GzipMember("first\n") + GzipMember(medium) + GzipMember("last"),
       "first\n" + medium + "last"},
      {"empty member only", GzipMember(""), ""},
      {"empty members around others",
       GzipMember("") + GzipMember("a") + GzipMember("") + GzipMember("") +
           GzipMember("b", 0, "b.trc"),
       "ab"},
      {"empty member last", GzipMember(small) + GzipMember(""), small},
  };
  for (const Case& c : cases) {
    for (const Pattern& pattern : kPatterns) {
      SCOPED_TRACE(Describe(c.name, pattern));
      GzipSource source(std::make_unique<MemorySource>(c.compressed, pattern.piece));
      ReadOutcome outcome = ReadAll(&source, pattern.readSize);
      EXPECT_EQ(outcome.last, 0);
      EXPECT_EQ(outcome.error, "");
      EXPECT_EQ(outcome.bytes.size(), c.text.size());
      EXPECT_TRUE(outcome.bytes == c.text);
      EXPECT_EQ(source.bytesConsumed(), c.compressed.size());
    }
  }
}

TEST(GzipSourceTest, ReturnsEveryByteBeforeAFault) {
  const std::string text = SampleText(60000, 3);
  const std::string member = GzipMember(text);
  const size_t size = member.size();
  const std::string named = GzipMember(text, 6, "trace.trc");
  const std::string ioError = "Input/output error";
  const std::string cut = "unexpected end of compressed data";
  const std::string garbage = "invalid compressed data (trailing garbage after the last member)";
  struct Case {
    const char* name;
    std::string compressed;
    std::string failure;   // of the source after the compressed bytes
    std::string error;     // what error() says; only its start for a '(' at the end
    std::string expected;  // what reading gives when intact; "" to skip checking the bytes
    size_t mustReturn;     // bytes of `expected` returned at least
  } cases[] = {
      {"empty input", "", "", cut, "", 0},
      {"plain text", "hello, world\n", "", "not a gzip stream", "", 0},
      {"zstd frame", ZstdFrame("x"), "", "not a gzip stream", "", 0},
      {"cut in the header", member.substr(0, 5), "", cut, "", 0},
      {"cut in the data", member.substr(0, size / 2), "", cut, text, text.size() / 3},
      {"cut in the trailer", member.substr(0, size - 3), "", cut, text, text.size()},
      {"crc corrupt", Flip(member, size - 8), "", "invalid compressed data (crc mismatch)", text,
       text.size()},
      {"length corrupt", Flip(member, size - 2), "", "invalid compressed data (crc mismatch)", text,
       text.size()},
      {"header crc corrupt", Flip(named, 12), "", "invalid compressed data (crc mismatch)", "", 0},
      {"header too long", GzipMember(text, 6, std::string(1 << 20, 'n')), "",
       "invalid compressed data (gzip header too long)", "", 0},
      {"unknown method", Flip(member, 2), "",
       "invalid compressed data (unknown compression method)", "", 0},
      {"data corrupt", Flip(member, size / 2), "", "invalid compressed data (", "", 0},
      {"second member cut", member + member.substr(0, 100), "", cut, text + text, text.size()},
      {"second member header cut", member + "\x1f", "", cut, text, text.size()},
      {"trailing garbage", member + "junk", "", garbage, text, text.size()},
      {"trailing zeros", member + std::string(8, '\0'), "", garbage, text, text.size()},
      {"source fails in the data", member.substr(0, size / 2), ioError, ioError, text,
       text.size() / 3},
      {"source fails after a member", member, ioError, ioError, text, text.size()},
  };
  for (const Case& c : cases) {
    for (const Pattern& pattern : kPatterns) {
      SCOPED_TRACE(Describe(c.name, pattern));
      GzipSource source(std::make_unique<MemorySource>(c.compressed, pattern.piece, c.failure));
      ReadOutcome outcome = ReadAll(&source, pattern.readSize);
      EXPECT_EQ(outcome.last, -1);
      if (c.error.back() == '(') {
        EXPECT_EQ(outcome.error.substr(0, c.error.size()), c.error) << outcome.error;
      } else {
        EXPECT_EQ(outcome.error, c.error);
      }
      if (c.expected.empty()) continue;
      EXPECT_GE(outcome.bytes.size(), c.mustReturn);
      EXPECT_TRUE(outcome.bytes == c.expected.substr(0, outcome.bytes.size()));
    }
  }
}

}  // namespace
}  // namespace quintrel
