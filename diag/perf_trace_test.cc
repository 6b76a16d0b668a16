#include "diag/perf_trace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/support/scratch_dir.h"

namespace quintrel {
namespace {

using quintrel_test::ScratchWorkingDir;

TEST(PerfTrace, SingletonWritesThroughToItsFile) {
  ScratchWorkingDir dir;
  std::ofstream("perftrace.log") << "old contents\n";
  PerfTrace* trace = PerfTrace::instance();
  ASSERT_NE(trace, nullptr);
  EXPECT_EQ(PerfTrace::instance(), trace);
  PerfTrace::start();
  PerfTrace::stop();
  trace->write("step ");
  trace->writeElapsed();
  trace->write("\n");
  // Every write reaches the file at once, without a flush by the caller.
  std::ifstream file("perftrace.log");
  const std::string log{std::istreambuf_iterator<char>(file), {}};
  EXPECT_EQ(log.rfind("Starting quintrel performance trace...\nstep ", 0), 0u) << log;
  EXPECT_EQ(log.back(), '\n');
  EXPECT_EQ(log.find("old contents"), std::string::npos);
  EXPECT_GE(PerfTrace::elapsedSeconds(), 0.0);
}

}  // namespace
}  // namespace quintrel
