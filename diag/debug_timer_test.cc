#include "diag/debug_timer.h"

#include <gtest/gtest.h>

#include <fstream>

#include "diag/diag_test_support.h"

namespace quintrel {
namespace {

std::string LevelFor(const char* contents) {
  ScratchWorkingDir dir;
  if (contents != nullptr) std::ofstream("logger.properties", std::ios::binary) << contents;
  readLoggerConfiguration();
  return LoggerLevel();
}

TEST(Logger, ConfigurationSetsTheLevel) {
  struct Case {
    const char* contents;
    const char* level;
  } cases[] = {
      {nullptr, "NONE"},
      {"debug\n", "NONE"},
      {"DEBUG \n", "NONE"},
      {" DEBUG\n", "NONE"},
      {"INFO\nWARN\nDEBUG\nINFO\n", "DEBUG"},
      {"INFO\nDEBUG", "DEBUG"},  // a last line without a line feed counts
  };
  for (const Case& c : cases) EXPECT_EQ(LevelFor(c.contents), c.level) << c.contents;
}

std::string LogLine(int withDuration) {
  DebugTimer timer("test");
  timer.start();
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
  std::string timed = LogLine(1);
  EXPECT_EQ(timed.rfind("[T] M dur=", 0), 0u) << timed;
  EXPECT_EQ(timed.substr(timed.size() - 3), "us\n");
  LevelFor(nullptr);
}

TEST(Logger, MeasuresMicroseconds) {
  DebugTimer timer("sleep");
  timer.start();
  usleep(2000);
  timer.stop();
  EXPECT_GE(timer.elapsedMicros(), 2000.0);
}

}  // namespace
}  // namespace quintrel
