// Black-box tests of the thread listing, the prompt and the chosen thread.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

const char kPrompt[] = "Please choose a thread from the list above (or '*' for all threads): \n";

std::string Call(const std::string& thread, const std::string& api) {
  std::string marker = "# [ " + thread + " ] Wed Aug  6 14:03:22 2003 0 ";
  return marker + "( 0.000 sec) ( 1 rpc) API> " + api + "\n" + marker +
         "( 0.002 sec) ( 2 rpc) Res: 'x'\n";
}

std::string Trace() {
  return "#  [ 5 ] two blanks after the hash\n"
         "# [5 ] no blank inside the bracket\n"
         " # [ 6 ] a blank before the hash\n" +
         Call("236", "get,s0,a") + Call("1008", "get,s0,b") + Call("236", "save,s0,c") +
         "# [ 77 ] a marker with a malformed rest\n" + Call("91", "fetch,s0,d");
}

std::string Csv(const std::string& thread, const std::string& api) {
  return "\"" + thread + "\",\"Wed Aug  6 14:03:22 2003 0\",\"1\",\"2\",\"" + api + "\",\n";
}

TEST(ThreadListing, ListsIdsOnceInByteOrderAndAnalysesTheChoice) {
  ScratchDir dir;
  std::string trace = dir.write("t.trc", Trace());
  const std::string listing = std::string("1008\n236\n77\n91\n") + kPrompt;
  std::string all = Csv("236", "get,s0,a") + Csv("1008", "get,s0,b") + Csv("236", "save,s0,c") +
                    Csv("91", "fetch,s0,d");
  struct Case {
    std::string answer, listing;
  } cases[] = {
      {"*\n", all},
      {"236\n", Csv("236", "get,s0,a") + Csv("236", "save,s0,c")},
      {"  \t\n 1008 236 91\n", Csv("1008", "get,s0,b")},
      {"999\n", ""},
      {"", ""},        // end of input: an empty choice selects nothing
      {"0236\n", ""},  // ids are texts
  };
  for (const Case& c : cases) {
    CliResult result = RunQuintrel({trace, "CONSOLE", "-l", "-d", "CSV"}, c.answer);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, listing + c.listing) << c.answer;
    EXPECT_EQ(result.err, "");
  }
}

TEST(ThreadListing, TraceWithoutMarkersGivesThePromptAlone) {
  ScratchDir dir;
  std::string trace = dir.write("t.trc", "no markers here\n");
  CliResult result = RunQuintrel({trace, "CONSOLE", "-l", "-d", "CSV"}, "*\n");
  EXPECT_EQ(result.out, kPrompt);
}

TEST(ThreadListing, MissingTraceIsReportedForEachScan) {
  ScratchDir dir;
  std::string trace = dir.file("absent.trc");
  CliResult result = RunQuintrel({trace, "CONSOLE", "-l", "-d", "CSV"}, "*\n");
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.out, kPrompt);
  std::string message = "cannot open trace file " + trace + "\n";
  EXPECT_EQ(result.err, message + message);
}

TEST(ThreadListing, RunsTouchNoDiagnosticsFiles) {
  ScratchDir dir;
  dir.write("logger.properties", "DEBUG\n");
  std::string trace = dir.write("t.trc", Trace());
  CliResult result = RunQuintrel({trace, "out.html", "-l"}, "*\n", dir.path());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out.find('['), std::string::npos);  // no log line
  EXPECT_NE(access(dir.file("perftrace.log").c_str(), F_OK), 0);
  EXPECT_NE(ReadFile(dir.file("out.html")), "");
}

}  // namespace
}  // namespace quintrel_test
