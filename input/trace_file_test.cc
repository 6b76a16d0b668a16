#include "input/trace_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "input/zstd_context.h"
#include "tests/support/compressed_data.h"
#include "tests/support/memory_source.h"
#include "tests/support/scratch_dir.h"

namespace quintrel {
namespace {

using quintrel_test::GzipMember;
using quintrel_test::ReadAll;
using quintrel_test::ReadOutcome;
using quintrel_test::SampleText;
using quintrel_test::ScratchDir;
using quintrel_test::ZstdFrame;
using quintrel_test::ZstdSkippableFrame;
using Compression = TraceFile::Compression;

const char* Name(Compression compression) {
  switch (compression) {
    case Compression::kGzip:
      return "gzip";
    case Compression::kZstd:
      return "zstd";
    default:
      return "none";
  }
}

// Writes `bytes` to `fd` in pieces of 1, 2, 3... bytes up to 4096, so that
// the reader gets the first bytes in several reads, then closes it.
void WriteInPieces(int fd, const std::string& bytes) {
  size_t done = 0;
  for (size_t piece = 1; done < bytes.size(); piece = std::min<size_t>(piece + 1, 4096)) {
    size_t count = std::min(piece, bytes.size() - done);
    if (write(fd, bytes.data() + done, count) != static_cast<ssize_t>(count)) break;
    done += count;
  }
  close(fd);
}

// A file's contents and what reading it as a trace gives.
struct Content {
  const char* name;
  std::string bytes;
  Compression compression;
  std::string text;
};

std::vector<Content> Contents() {
  const std::string text = SampleText(200000, 8);
  const std::string a = "first line\n", b = "second line\n";
  return {
      {"trace.trc", text, Compression::kNone, text},
      {"trace.trc.gz", GzipMember(text), Compression::kGzip, text},
      {"plain.gz", text, Compression::kNone, text},
      {"plain.zst", a, Compression::kNone, a},
      {"compressed.trc", GzipMember(text), Compression::kGzip, text},
      {"members.trc", GzipMember(a) + GzipMember("") + GzipMember(b), Compression::kGzip, a + b},
      {"trace.zst", ZstdFrame(text), Compression::kZstd, text},
      {"frames", ZstdFrame(a) + ZstdFrame(b, 1, false), Compression::kZstd, a + b},
      {"skippable.trc", ZstdSkippableFrame("x") + ZstdFrame(text), Compression::kZstd, text},
      {"empty.trc", "", Compression::kNone, ""},
      {"empty.gz", GzipMember(""), Compression::kGzip, ""},
      {"half a gzip magic", "\x1f", Compression::kNone, "\x1f"},
      {"most of a zstd magic", "\x28\xb5\x2f", Compression::kNone, "\x28\xb5\x2f"},
      {"two lines", "a\nb", Compression::kNone, "a\nb"},
  };
}

TEST(TraceFileTest, RecognisesTheCompressionByTheFirstBytesOfAFile) {
  ScratchDir dir;
  for (const Content& c : Contents()) {
    for (size_t readSize : {size_t{1}, size_t{1} << 20}) {
      SCOPED_TRACE(std::string(c.name) + ", reads of " + std::to_string(readSize));
      TraceFile trace(dir.write(c.name, c.bytes));
      Compression compression;
      std::string error;
      std::unique_ptr<ByteSource> source = trace.open(false, &error, &compression);
      ASSERT_NE(source, nullptr) << error;
      EXPECT_STREQ(Name(compression), Name(c.compression));
      EXPECT_TRUE(trace.rereadable());
      EXPECT_EQ(trace.size(), c.bytes.size());
      ReadOutcome outcome = ReadAll(source.get(), readSize);
      EXPECT_EQ(outcome.last, 0);
      EXPECT_EQ(outcome.error, "");
      EXPECT_TRUE(outcome.bytes == c.text);
      EXPECT_EQ(source->bytesConsumed(), c.bytes.size());
    }
  }
}

TEST(TraceFileTest, ReadsPipesWithoutLosingTheFirstBytes) {
  ScratchDir dir;
  int savedInput = dup(STDIN_FILENO);
  ASSERT_GE(savedInput, 0);
  for (const Content& c : Contents()) {
    for (bool standardInput : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (standardInput ? " on standard input" : " in a fifo"));
      int ends[2] = {-1, -1};
      std::string path = "-";
      std::thread writer;
      if (standardInput) {
        ASSERT_EQ(pipe(ends), 0);
        ASSERT_EQ(dup2(ends[0], STDIN_FILENO), STDIN_FILENO);
        close(ends[0]);
        writer = std::thread(WriteInPieces, ends[1], c.bytes);
      } else {
        path = dir.file(std::string(c.name) + ".fifo");
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        writer = std::thread([&] { WriteInPieces(open(path.c_str(), O_WRONLY), c.bytes); });
      }
      TraceFile trace(path);
      Compression compression;
      std::string error;
      std::unique_ptr<ByteSource> source = trace.open(false, &error, &compression);
      EXPECT_NE(source, nullptr) << error;
      EXPECT_STREQ(Name(compression), Name(c.compression));
      EXPECT_FALSE(trace.rereadable());
      EXPECT_EQ(trace.size(), 0u);
      ReadOutcome outcome = ReadAll(source.get(), 4096);
      writer.join();
      EXPECT_EQ(outcome.last, 0);
      EXPECT_TRUE(outcome.bytes == c.text);
      source.reset();
      // Standard input stays open.
      if (standardInput) {
        EXPECT_NE(fcntl(STDIN_FILENO, F_GETFD), -1);
      }
    }
  }
  dup2(savedInput, STDIN_FILENO);
  close(savedInput);
}

TEST(TraceFileTest, StandardInputFromAFileIsNotOneToOpenAgain) {
  ScratchDir dir;
  const std::string bytes = GzipMember("a line\n");
  int savedInput = dup(STDIN_FILENO);
  int file = open(dir.write("input.gz", bytes).c_str(), O_RDONLY);
  ASSERT_GE(file, 0);
  dup2(file, STDIN_FILENO);
  close(file);
  TraceFile trace("-");
  std::string error;
  std::unique_ptr<ByteSource> source = trace.open(false, &error);
  EXPECT_NE(source, nullptr) << error;
  EXPECT_FALSE(trace.rereadable());
  EXPECT_EQ(trace.size(), bytes.size());
  EXPECT_EQ(ReadAll(source.get(), 100).bytes, "a line\n");
  source.reset();
  dup2(savedInput, STDIN_FILENO);
  close(savedInput);
}

TEST(TraceFileTest, PassesFaultsOnAfterTheBytesBeforeThem) {
  ScratchDir dir;
  const std::string text = SampleText(400000, 9);  // zstd blocks hold 128 KiB
  const std::string member = GzipMember(text);
  const std::string frame = ZstdFrame(text);
  std::string badCrc = member;
  badCrc[badCrc.size() - 8] ^= 1;
  const std::string cut = "unexpected end of compressed data";
  struct Case {
    const char* name;
    std::string bytes;
    std::string error;
    size_t mustReturn;  // bytes of `text` returned at least
  } cases[] = {
      {"gzip magic only", "\x1f\x8b", cut, 0},
      {"cut gzip", member.substr(0, member.size() / 2), cut, text.size() / 4},
      {"cut gzip trailer", member.substr(0, member.size() - 1), cut, text.size()},
      {"gzip crc", badCrc, "invalid compressed data (crc mismatch)", text.size()},
      {"cut zstd", frame.substr(0, frame.size() / 2), cut, text.size() / 4},
      {"gzip then garbage", member + "\n",
       "invalid compressed data (trailing garbage after the last member)", text.size()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    std::unique_ptr<ByteSource> source = TraceFile(dir.write(c.name, c.bytes)).open(false, &error);
    ASSERT_NE(source, nullptr) << error;
    ReadOutcome outcome = ReadAll(source.get(), 1 << 20);
    EXPECT_EQ(outcome.last, -1);
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_GE(outcome.bytes.size(), c.mustReturn);
    EXPECT_TRUE(outcome.bytes == text.substr(0, outcome.bytes.size()));
  }
}

// One decoder lent to the traces of a merge job in turn: what a damaged or
// cut stream leaves in it must not reach the next one.
TEST(TraceFileTest, ALentZstdContextReadsEachTraceAfresh) {
  ScratchDir dir;
  const std::string text = SampleText(400000, 7);
  const std::string frame = ZstdFrame(text);
  std::string badChecksum = frame;
  badChecksum[badChecksum.size() - 1] ^= 1;
  const std::string cut = "unexpected end of compressed data";
  struct Case {
    const char* name;
    std::string bytes;
    std::string expected;  // every byte read, or the bytes before the fault at least
    std::string error;     // "" for a stream read to its end
  } cases[] = {
      {"three frames", ZstdFrame("a\n") + frame + ZstdFrame("b", 1, false), "a\n" + text + "b", ""},
      {"good frame then a cut one", ZstdFrame("first\n") + frame.substr(0, frame.size() / 2),
       "first\n", cut},
      {"after a cut frame", frame, text, ""},
      {"checksum mismatch", ZstdFrame("x\n") + badChecksum, "x\n",
       "invalid compressed data (checksum mismatch)"},
      {"plain between", "plain line\n", "plain line\n", ""},
      {"skippable then level 19", ZstdSkippableFrame("i") + ZstdFrame(text, 19), text, ""},
      {"damaged frame after a good one", ZstdFrame("y") + "\x28\xb5\x2f\xfd garbage", "y",
       "invalid compressed data (Data corruption detected)"},
      {"empty frame last", ZstdFrame(""), "", ""},
  };
  ZstdContext context;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    std::unique_ptr<ByteSource> source =
        TraceFile(dir.write(c.name, c.bytes)).open(false, &error, nullptr, &context);
    ASSERT_NE(source, nullptr) << error;
    ReadOutcome outcome = ReadAll(source.get(), 100000);
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_EQ(outcome.last, c.error.empty() ? 0 : -1);
    if (c.error.empty()) {
      EXPECT_EQ(outcome.bytes, c.expected);
    }
    EXPECT_EQ(outcome.bytes.substr(0, c.expected.size()), c.expected);
    const std::string rest = outcome.bytes.substr(c.expected.size());
    EXPECT_TRUE(rest == text.substr(0, rest.size()));
  }
}

TEST(TraceFileTest, ReportsWhyAFileCannotBeOpenedOrRead) {
  ScratchDir dir;
  dir.write("file", "x");
  struct Case {
    std::string path;
    bool opens;
    std::string error;  // of the open, or of the first read when it opens
  } cases[] = {
      {dir.file("absent.gz"), false, "No such file or directory"},
      {dir.file("file/below"), false, "Not a directory"},
      {"", false, "No such file or directory"},
      {dir.path(), true, "Is a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    TraceFile trace(c.path);
    std::string error;
    std::unique_ptr<ByteSource> source = trace.open(false, &error);
    EXPECT_EQ(source != nullptr, c.opens);
    EXPECT_EQ(trace.found(), c.opens);
    if (!c.opens) {
      EXPECT_EQ(error, c.error);
      continue;
    }
    ReadOutcome outcome = ReadAll(source.get(), 4096);
    EXPECT_EQ(outcome.last, -1);
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_EQ(outcome.bytes, "");
  }
}

}  // namespace
}  // namespace quintrel
