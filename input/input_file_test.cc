#include "input/input_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "tests/support/scratch_dir.h"

namespace quintrel {
namespace {

using quintrel_test::ScratchDir;

TEST(InputFileTest, StatusTellsKindSizeAndIdentity) {
  ScratchDir dir;
  const std::string trace = dir.write("trace.trc", "0123456789");
  const std::string other = dir.write("other.trc", "0123456789");
  ASSERT_EQ(::link(trace.c_str(), dir.file("linked.trc").c_str()), 0);
  struct Case {
    std::string path;
    bool found, regular;
    uint64_t size;
    bool sameAsTrace;
  };
  const Case kCases[] = {
      {trace, true, true, 10, true},
      {dir.file("linked.trc"), true, true, 10, true},
      {other, true, true, 10, false},
      {dir.path(), true, false, 0, false},
      {dir.file("missing"), false, false, 0, false},
  };
  const InputFile::Status traceStatus = InputFile::StatusOf(trace);
  for (const Case& expected : kCases) {
    const InputFile::Status status = InputFile::StatusOf(expected.path);
    EXPECT_EQ(status.found, expected.found) << expected.path;
    EXPECT_EQ(status.regular, expected.regular) << expected.path;
    EXPECT_EQ(status.size, expected.size) << expected.path;
    EXPECT_EQ(status.sameFile(traceStatus), expected.sameAsTrace) << expected.path;
  }
}

TEST(InputFileTest, AnUnknownDeviceLeavesTheFileNumberToDecide) {
  InputFile::Status one;
  one.found = one.regular = true;
  one.device = 5;
  one.number = 7;
  InputFile::Status other = one;
  other.device = 0;
  EXPECT_FALSE(one.sameFile(other));
  other.deviceKnown = false;
  EXPECT_TRUE(one.sameFile(other));
  other.number = 8;
  EXPECT_FALSE(one.sameFile(other));
  other = one;
  other.regular = false;
  EXPECT_FALSE(one.sameFile(other));
}

TEST(InputFileTest, ReadsAndSaysWhyItCannot) {
  ScratchDir dir;
  std::string error;
  EXPECT_EQ(InputFile::Open(dir.file("missing"), &error), -1);
  EXPECT_EQ(error, "No such file or directory");
  int fd = InputFile::Open(dir.write("trace.trc", "abc"), &error);
  ASSERT_GE(fd, 0);
  char buffer[8];
  EXPECT_EQ(InputFile::Read(fd, buffer, sizeof buffer, &error), 3);
  EXPECT_EQ(InputFile::Read(fd, buffer, sizeof buffer, &error), 0);
  InputFile::Close(fd);
  fd = InputFile::Open(dir.path(), &error);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(InputFile::Read(fd, buffer, sizeof buffer, &error), -1);
  EXPECT_EQ(error, "Is a directory");
  InputFile::Close(fd);
}

}  // namespace
}  // namespace quintrel
