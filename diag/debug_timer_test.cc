#include "diag/debug_timer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "tests/support/scratch_dir.h"

namespace quintrel {
namespace {

using quintrel_test::ScratchWorkingDir;

std::string LevelFor(const char* contents) {
  ScratchWorkingDir dir;
  if (contents != nullptr) std::ofstream("logger.properties", std::ios::binary) << contents;
  ReadLoggerConfiguration();
  return LoggerLevel();
}

TEST(Logger, ConfigurationSetsTheLevel) {
  const std::pair<const char*, const char*> kCases[] = {
      {nullptr, "NONE"},
      {"debug\n", "NONE"},
      {"DEBUG \n", "NONE"},
      {" DEBUG\n", "NONE"},
      {"INFO\nWARN\nDEBUG\nINFO\n", "DEBUG"},
      {"INFO\nDEBUG", "DEBUG"},  // a last line without a line feed counts
  };
  for (const auto& [contents, level] : kCases) EXPECT_EQ(LevelFor(contents), level) << contents;
}

// What log() prints for a timer that ran 2 ms.
std::string LogLine(int withDuration) {
  DebugTimer timer("test");
  timer.start();
  usleep(2000);
  timer.stop();
  testing::internal::CaptureStdout();
  timer.log("T", "M", withDuration);
  return testing::internal::GetCapturedStdout();
}

TEST(Logger, PrintsOnlyAtDebugLevel) {
  LevelFor(nullptr);
  EXPECT_EQ(LogLine(1), "");
  LevelFor("DEBUG\n");
  EXPECT_EQ(LogLine(0), "[T] M\n");
  EXPECT_EQ(LogLine(2), "[T] M\n");
  const std::string timed = LogLine(1);
  EXPECT_EQ(timed.rfind("[T] M dur=", 0), 0u) << timed;
  EXPECT_EQ(timed.substr(timed.size() - 3), "us\n");
  EXPECT_GE(std::atof(timed.c_str() + 10), 2000.0) << timed;  // in microseconds
  LevelFor(nullptr);
}

}  // namespace
}  // namespace quintrel
