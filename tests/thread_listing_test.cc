// Black-box tests of the thread listing, the prompt and the chosen thread.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

std::string Trace() {
  return "#  [ 5 ] two blanks after the hash\n"
         "# [5 ] no blank inside the bracket\n"
         " # [ 6 ] a blank before the hash\n" +
         Call("236", "get,s0,a") + Call("1008", "get,s0,b") + Call("236", "save,s0,c") +
         "# [ 77 ] a marker with a malformed rest\n" + Call("91", "fetch,s0,d");
}

TEST(ThreadListing, ListsIdsOnceInByteOrderAndAnalysesTheChoice) {
  ScratchDir dir;
  const std::string trace = dir.write("t.trc", Trace());
  const std::pair<std::string, std::string> kCases[] = {
      {"*\n", CsvRow("236", "get,s0,a") + CsvRow("1008", "get,s0,b") + CsvRow("236", "save,s0,c") +
                  CsvRow("91", "fetch,s0,d")},
      {"236\n", CsvRow("236", "get,s0,a") + CsvRow("236", "save,s0,c")},
      {"  \t\n 1008 236 91\n", CsvRow("1008", "get,s0,b")},
      {"999\n", ""},
      {"", ""},        // end of input: an empty choice selects nothing
      {"0236\n", ""},  // ids are texts
  };
  for (const auto& [answer, listing] : kCases) {
    EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-l", "-d", "CSV"}, {answer}),
              (CliResult{0, "1008\n236\n77\n91\n" + kPrompt + listing, ""}))
        << answer;
  }
}

TEST(ThreadListing, TraceWithoutMarkersOrWithoutFile) {
  ScratchDir dir;
  const std::string absent = dir.file("absent.trc");
  const std::string message = "cannot open trace file " + absent + ": No such file or directory\n";
  const std::string trace = dir.write("t.trc", "no markers\n");
  EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-l", "-d", "CSV"}, {"*\n"}),
            (CliResult{0, kPrompt, "quintrel: warning: " + trace + " holds no trace lines\n"}));
  // A missing trace ends the run before the prompt.
  EXPECT_EQ(RunQuintrel({absent, "CONSOLE", "-l", "-d", "CSV"}, {"*\n"}),
            (CliResult{3, "", message}));
}

TEST(ThreadListing, RunsTouchNoDiagnosticsFiles) {
  ScratchDir dir;
  dir.write("logger.properties", "DEBUG\n");
  const CliResult result =
      RunQuintrel({dir.write("t.trc", Trace()), "out.html", "-l"}, {"*\n", dir.path()});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out.find('['), std::string::npos);  // no log line
  EXPECT_NE(access(dir.file("perftrace.log").c_str(), F_OK), 0);
  EXPECT_NE(ReadFile(dir.file("out.html")), "");
}

}  // namespace
}  // namespace quintrel_test
