// Black-box tests with hostile traces: whatever the input, quintrel ends
// with a sound exit code and writes exactly what the line grammar implies.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <set>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

TEST(HostileInput, BinaryBytesAroundACall) {
  std::mt19937 random(7);
  std::string noise;
  for (int i = 0; i < 200000; ++i) noise += static_cast<char>(random() % 256);
  std::replace(noise.begin(), noise.end(), '#', '.');  // no stray headers
  const std::string api("get,s0,a\0b\x01\xff", 12);
  ScratchDir dir;
  const std::string trace = dir.write("t.trc", noise + "\n" + Call("3", api) + noise);
  EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-d", "CSV"}), (CliResult{0, CsvRow("3", api), ""}));
}

TEST(HostileInput, HugeSingleLineWithoutLineFeed) {
  ScratchDir dir;
  const std::string trace =
      dir.write("t.trc", Header("1") + "API> get," + std::string(100 << 20, 'x'));
  // A call without its result is never complete.
  EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-d", "CSV"}), (CliResult{0, "", ""}));
}

TEST(HostileInput, HundredThousandThreads) {
  std::string trace, listing;
  std::set<std::string> ids;
  for (int i = 0; i < 100000; ++i) {
    ids.insert(std::to_string(i * 7919 % 100003));
    trace += Call(std::to_string(i * 7919 % 100003), "get,s0,x");
  }
  for (const std::string& id : ids) listing += id + "\n";
  ScratchDir dir;
  const std::string output = dir.file("out.csv");
  EXPECT_EQ(RunQuintrel({dir.write("t.trc", trace), output, "-l", "-d", "CSV"}, {"*\n"}),
            (CliResult{0, listing + kPrompt, ""}));
  const std::string csv = ReadFile(output);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 100000);
}

TEST(HostileInput, FortyDigitNumbersAreClamped) {
  const std::string big(40, '9');
  const std::string stamp =
      "Wed Aug " + big + " " + big + ":" + big + ":" + big + " " + big + " " + big;
  const std::string header =
      "# [ " + big + " ] " + stamp + " ( " + big + "." + big + " sec) ( " + big + " rpc) ";
  ScratchDir dir;
  const std::string trace = dir.write("t.trc", header + "API> get,s0,x\n" + header + "Res: 'T'\n");
  // Every number reads as 2147483647: the rpc counters are equal, and the
  // duration is 1000 x 2147483647 + 2147483647 milliseconds, without a wrap.
  EXPECT_EQ(
      RunQuintrel({trace, "CONSOLE", "-d", "CSV"}),
      (CliResult{0, "\"" + big + "\",\"" + stamp + "\",\"0\",\"2149631130647\",\"get,s0,x\",\n",
                 ""}));
  const CliResult text = RunQuintrel({trace, "CONSOLE", "-s", "TEXT"});
  EXPECT_EQ(text.exitCode, 0);
  EXPECT_NE(text.out.find("Total Trace duration :       0.000\n"
                          "DMCL call duration   : 2149631130.647\n"),
            std::string::npos)
      << text.out;
}

TEST(HostileInput, OutputThatFailsWhileWrittenIsNotLeftBehind) {
  ScratchDir dir;
  RunOptions options;
  options.fileSizeLimit = 1000;
  const std::string output = dir.file("out.csv");
  EXPECT_EQ(RunQuintrel({Data("many.trc"), output, "-d", "CSV"}, options),
            (CliResult{3, "", "cannot write output file " + output + ": File too large\n"}));
  EXPECT_NE(access(output.c_str(), F_OK), 0);
}

TEST(HostileInput, LongQueryTextsStayLinear) {
  // Ten megabytes of continuation lines full of commas, each line starting
  // like a query call: the query patterns must not backtrack over the text
  // again and again. "^" matches after every line feed, so the execquery
  // pattern, tried before the query_cmd one, finds the second line.
  std::string body;
  while (body.size() < (10 << 20)) body += "query_cmd,s1,a,b,\nexecquery,c,";
  const std::string api = "query_cmd,c,1,2,3,4,5,6,select", apiText = api + body + "\n";
  const std::string query = apiText.substr(apiText.find("\nexecquery,c,query_cmd,") + 23);
  ScratchDir dir;
  const std::string output = dir.file("out.txt");
  const std::string trace = dir.write("t.trc", Header("1") + "API> " + api + "\n" + body + "\n" +
                                                   Header("1", true) + "Res: 'q0'\n");
  EXPECT_EQ(RunQuintrel({trace, output, "-s", "TEXT"}), (CliResult{0, "", ""}));
  EXPECT_NE(ReadFile(output).find("0.002     0         " + query + "\n\n\nTime Split:\n"),
            std::string::npos);
}

}  // namespace
}  // namespace quintrel_test
