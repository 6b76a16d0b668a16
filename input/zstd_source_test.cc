#include "input/zstd_source.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

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
using quintrel_test::ZstdSkippableFrame;

std::unique_ptr<ByteSource> Make(std::unique_ptr<ByteSource> compressed) {
  return std::make_unique<ZstdSource>(std::move(compressed));
}

TEST(ZstdSourceTest, DecompressesWholeStreams) {
  const std::string small = SampleText(20000, 2);
  const std::string medium = SampleText(600000, 5);
  ExpectWholeStreams(
      {
          {"one frame", ZstdFrame(small), small},
          {"no checksum", ZstdFrame(small, 3, false), small},
          {"level 19, many blocks", ZstdFrame(medium, 19), medium},
          {"level 1, many blocks", ZstdFrame(medium, 1), medium},
          {"three frames", ZstdFrame("first\n") + ZstdFrame(medium) + ZstdFrame("last", 1, false),
           "first\n" + medium + "last"},
          {"empty frame only", ZstdFrame(""), ""},
          {"empty frames around others",
           ZstdFrame("") + ZstdFrame("a") + ZstdFrame("") + ZstdFrame("") + ZstdFrame("b"), "ab"},
          {"skippable frames",
           ZstdSkippableFrame("index") + ZstdFrame(small) + ZstdSkippableFrame(""), small},
      },
      Make);
}

TEST(ZstdSourceTest, ReturnsEveryByteBeforeAFault) {
  const std::string text = SampleText(300000, 3);
  const std::string frame = ZstdFrame(text);
  const size_t size = frame.size();
  const std::string ioError = "Input/output error";
  const std::string cut = "unexpected end of compressed data";
  const std::string garbage = "invalid compressed data (trailing garbage after the last frame)";
  ExpectDamagedStreams(
      {
          {"empty input", "", "", cut, "", 0},
          {"plain text", "hello, world\n", "", "not a zstd stream", "", 0},
          {"gzip member", GzipMember("x"), "", "not a zstd stream", "", 0},
          {"cut in the header", frame.substr(0, 3), "", cut, "", 0},
          {"cut in the data", frame.substr(0, size / 2), "", cut, text, text.size() / 4},
          {"cut in the checksum", frame.substr(0, size - 2), "", cut, text, text.size()},
          {"checksum corrupt", Flip(frame, size - 1), "",
           "invalid compressed data (checksum mismatch)", text, 0},
          {"data corrupt", Flip(frame, size / 2), "", "invalid compressed data (", "", 0},
          // A frame asking for a 256 MB window, twice the limit, with one empty block.
          {"window too large", std::string("\x28\xb5\x2f\xfd\x00\x90\x01\x00\x00", 9), "",
           "compressed data needs more memory than allowed (window too large)", "", 0},
          {"second frame cut", frame + frame.substr(0, 100), "", cut, text + text, text.size()},
          {"trailing garbage", frame + "junk", "", garbage, text, text.size()},
          {"trailing zeros", frame + std::string(8, '\0'), "", garbage, text, text.size()},
          {"source fails in the data", frame.substr(0, size / 2), ioError, ioError, text,
           text.size() / 4},
          {"source fails after a frame", frame, ioError, ioError, text, text.size()},
      },
      Make);
}

}  // namespace
}  // namespace quintrel
