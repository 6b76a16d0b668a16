#include "input/gzip_source.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "input/zlib_gzip_source.h"
#include "tests/support/compressed_data.h"
#include "tests/support/decompressor_checks.h"
#include "tests/support/memory_source.h"

namespace quintrel {
namespace {

using quintrel_test::ExpectDamagedStreams;
using quintrel_test::ExpectWholeStreams;
using quintrel_test::Flip;
using quintrel_test::GzipMember;
using quintrel_test::MemorySource;
using quintrel_test::ReadAll;
using quintrel_test::ReadOutcome;
using quintrel_test::SampleText;
using quintrel_test::ZstdFrame;

// ISA-L's reader (Linux) and zlib's (Windows) read the same streams alike.
template <typename Reader>
std::unique_ptr<ByteSource> Make(std::unique_ptr<ByteSource> compressed) {
  return std::make_unique<Reader>(std::move(compressed));
}

template <typename Reader>
class GzipSourceTest : public testing::Test {};
using Readers = testing::Types<GzipSource, ZlibGzipSource>;
TYPED_TEST_SUITE(GzipSourceTest, Readers);

TYPED_TEST(GzipSourceTest, DecompressesWholeStreams) {
  const std::string small = SampleText(20000, 2);
  const std::string medium = SampleText(300000, 5);
  ExpectWholeStreams(
      {
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
          {"zero padding after the last member", GzipMember(small) + std::string(300000, '\0'),
           small},
          {"one zero byte of padding", GzipMember("a") + GzipMember("b") + std::string(1, '\0'),
           "ab"},
      },
      Make<TypeParam>);
}

TYPED_TEST(GzipSourceTest, ReturnsEveryByteBeforeAFault) {
  const std::string text = SampleText(60000, 3);
  const std::string member = GzipMember(text);
  const size_t size = member.size();
  const std::string named = GzipMember(text, 6, "trace.trc");
  const std::string ioError = "Input/output error";
  const std::string cut = "unexpected end of compressed data";
  const std::string garbage = "invalid compressed data (trailing garbage after the last member)";
  ExpectDamagedStreams(
      {
          {"empty input", "", "", cut, "", 0},
          {"plain text", "hello, world\n", "", "not a gzip stream", "", 0},
          {"zstd frame", ZstdFrame("x"), "", "not a gzip stream", "", 0},
          {"cut in the header", member.substr(0, 5), "", cut, "", 0},
          {"cut in the data", member.substr(0, size / 2), "", cut, text, text.size() / 3},
          {"cut in the trailer", member.substr(0, size - 3), "", cut, text, text.size()},
          {"crc corrupt", Flip(member, size - 8), "", "invalid compressed data (crc mismatch)",
           text, text.size()},
          {"length corrupt", Flip(member, size - 2), "", "invalid compressed data (crc mismatch)",
           text, text.size()},
          {"header crc corrupt", Flip(named, 12), "", "invalid compressed data (crc mismatch)", "",
           0},
          {"unknown method", Flip(member, 2), "",
           "invalid compressed data (unknown compression method)", "", 0},
          {"data corrupt", Flip(member, size / 2), "", "invalid compressed data (", "", 0},
          {"second member cut", member + member.substr(0, 100), "", cut, text + text, text.size()},
          {"second member header cut", member + "\x1f", "", cut, text, text.size()},
          {"trailing garbage", member + "junk", "", garbage, text, text.size()},
          {"garbage after zero padding", member + std::string(200000, '\0') + "x", "", garbage,
           text, text.size()},
          {"a member after zero padding", member + std::string(8, '\0') + member, "", garbage, text,
           text.size()},
          {"source fails in the data", member.substr(0, size / 2), ioError, ioError, text,
           text.size() / 3},
          {"source fails after a member", member, ioError, ioError, text, text.size()},
      },
      Make<TypeParam>);
}

TEST(GzipHeaderTest, IsalHoldsAHeaderOfAMegabyteAtMost) {
  const std::string text = SampleText(60000, 3);
  const std::string longHeader = GzipMember(text, 6, std::string(1 << 20, 'n'));
  ExpectDamagedStreams({{"header too long", longHeader, "",
                         "invalid compressed data (gzip header too long)", "", 0}},
                       Make<GzipSource>);
  ExpectWholeStreams({{"header of a megabyte", longHeader, text}}, Make<ZlibGzipSource>);
}

}  // namespace
}  // namespace quintrel
