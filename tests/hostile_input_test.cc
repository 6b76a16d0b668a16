// Black-box tests with hostile traces: whatever the input, quintrel ends
// with a sound exit code and writes exactly what the line grammar implies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>
#include <sstream>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

std::string Header(const std::string& thread, const std::string& seconds, const std::string& rpc) {
  return "# [ " + thread + " ] Wed Aug  6 14:03:22 2003 1 ( " + seconds + " sec) ( " + rpc +
         " rpc) ";
}

std::string Call(const std::string& thread, const std::string& api) {
  return Header(thread, "0.000", "1") + "API> " + api + "\n" + Header(thread, "0.002", "2") +
         "Res: 'q0'\n";
}

std::string CsvRow(const std::string& thread, const std::string& api) {
  return "\"" + thread + "\",\"Wed Aug  6 14:03:22 2003 1\",\"1\",\"2\",\"" + api + "\",\n";
}

size_t CountLines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

TEST(HostileInput, BinaryBytesAroundACall) {
  std::mt19937 random(7);
  std::string noise;
  for (int i = 0; i < 200000; ++i) noise += static_cast<char>(random() % 256);
  std::replace(noise.begin(), noise.end(), '#', '.');  // no stray headers
  std::string api = std::string("get,s0,a\0b\x01\xff", 12);
  ScratchDir dir;
  std::string trace = dir.write("t.trc", noise + "\n" + Call("3", api) + noise);
  CliResult result = RunQuintrel({trace, "CONSOLE", "-d", "CSV"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, CsvRow("3", api));
  EXPECT_EQ(result.err, "");
}

TEST(HostileInput, HugeSingleLineWithoutLineFeed) {
  ScratchDir dir;
  std::string text(100 << 20, 'x');
  std::string trace = dir.write("t.trc", Header("1", "0.000", "1") + "API> get," + text);
  CliResult result = RunQuintrel({trace, "CONSOLE", "-d", "CSV"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "");  // a call without its result is never complete
}

TEST(HostileInput, HundredThousandThreads) {
  std::string trace;
  std::set<std::string> ids;
  for (int i = 0; i < 100000; ++i) {
    std::string id = std::to_string(i * 7919 % 100003);
    ids.insert(id);
    trace += Call(id, "get,s0,x");
  }
  std::string listing;
  for (const std::string& id : ids) listing += id + "\n";
  ScratchDir dir;
  std::string path = dir.write("t.trc", trace);
  CliResult result = RunQuintrel({path, dir.file("out.csv"), "-l", "-d", "CSV"}, "*\n");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out,
            listing + "Please choose a thread from the list above (or '*' for all threads): \n");
  EXPECT_EQ(CountLines(ReadFile(dir.file("out.csv"))), 100000u);
}

TEST(HostileInput, FortyDigitNumbersAreClamped) {
  std::string big(40, '9');
  std::string stamp = "Wed Aug " + big + " " + big + ":" + big + ":" + big + " " + big + " " + big;
  std::string header =
      "# [ " + big + " ] " + stamp + " ( " + big + "." + big + " sec) ( " + big + " rpc) ";
  ScratchDir dir;
  std::string trace = dir.write("t.trc", header + "API> get,s0,x\n" + header + "Res: 'T'\n");
  CliResult csv = RunQuintrel({trace, "CONSOLE", "-d", "CSV"});
  EXPECT_EQ(csv.exitCode, 0);
  // Every number reads as 2147483647: the rpc counters are equal, and the
  // duration is 1000 x 2147483647 + 2147483647 milliseconds, without a wrap.
  EXPECT_EQ(csv.out, "\"" + big + "\",\"" + stamp + "\",\"0\",\"2149631130647\",\"get,s0,x\",\n");
  CliResult text = RunQuintrel({trace, "CONSOLE", "-s", "TEXT"});
  EXPECT_EQ(text.exitCode, 0);
  EXPECT_NE(text.out.find("Total Trace duration :       0.000\n"
                          "DMCL call duration   : 2149631130.647\n"),
            std::string::npos)
      << text.out;
}

TEST(HostileInput, MixedLineEnds) {
  // CRLF and LF end lines; a lone carriage return is part of its line and
  // never starts a header.
  std::string api =
      Header("4", "0.000", "1") + "API> get,s0,x\r" + Header("5", "0.000", "1") + "API> get,s0,y";
  std::string trace = api + "\r\n" + Header("4", "0.002", "2") + "Res: 'T'\r\n" +
                      Header("4", "0.000", "1") + "API> save,s0,z\n" + Header("4", "0.002", "2") +
                      "Res: 'T'\r";
  ScratchDir dir;
  CliResult result = RunQuintrel({dir.write("t.trc", trace), "CONSOLE", "-d", "CSV"});
  EXPECT_EQ(result.exitCode, 0);
  std::string first = "get,s0,x\r" + Header("5", "0.000", "1") + "API> get,s0,y";
  EXPECT_EQ(result.out, CsvRow("4", first) + CsvRow("4", "save,s0,z"));
}

TEST(HostileInput, TraceFromAPipe) {
  RunOptions options;
  options.input = ReadFile(SourcePath("tests/data/small.trc"));
  options.inputFromPipe = true;
  CliResult result = RunQuintrel({"/dev/stdin", "CONSOLE", "-d", "CSV"}, options);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, ReadFile(SourcePath("tests/data/small.csv")));
}

TEST(HostileInput, OutputThatFailsWhileWritten) {
  ScratchDir dir;
  RunOptions options;
  options.fileSizeLimit = 1000;
  std::string output = dir.file("out.csv");
  CliResult result = RunQuintrel({SourcePath("tests/data/many.trc"), output, "-d", "CSV"}, options);
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.err, "cannot write output file " + output + "\n");
  EXPECT_LE(ReadFile(output).size(), 1000u);
}

TEST(HostileInput, LongQueryTextsStayLinear) {
  // Ten megabytes of continuation lines full of commas, each line starting
  // like a query call: the query patterns must not backtrack over the text
  // again and again. "^" matches after every line feed, so the execquery
  // pattern, tried before the query_cmd one, finds the second line.
  std::string body;
  while (body.size() < (10 << 20)) body += "query_cmd,s1,a,b,\nexecquery,c,";
  std::string apiText = "query_cmd,c,1,2,3,4,5,6,select" + body + "\n";
  std::string queryText = apiText.substr(apiText.find("\nexecquery,c,query_cmd,") + 23);
  std::string trace = Header("1", "0.000", "1") + "API> query_cmd,c,1,2,3,4,5,6,select\n" + body +
                      "\n" + Header("1", "0.002", "2") + "Res: 'q0'\n";
  ScratchDir dir;
  std::string output = dir.file("out.txt");
  CliResult result = RunQuintrel({dir.write("t.trc", trace), output, "-s", "TEXT"});
  EXPECT_EQ(result.exitCode, 0);
  std::string expected = "0.002     0         " + queryText + "\n\n\nTime Split:\n";
  EXPECT_NE(ReadFile(output).find(expected), std::string::npos);
}

TEST(HostileInput, XmlStaysWellFormed) {
  std::string bytes = "<&>\x01\x08\x0b\x1f\x7f\x80\xbf\xc3\x28\xe2\x82\xf0\x9f\x98\x80\xff";
  std::string trace = Header("9", "0.000", "1") + "API> query,c,select " + bytes + "\n" + bytes +
                      "\n" + Header("9", "0.002", "2") + "Res: 'q" + bytes + "'\n" +
                      Call("9", bytes + "," + bytes);
  ScratchDir dir;
  std::string output = dir.file("out.xml");
  ASSERT_EQ(RunQuintrel({dir.write("t.trc", trace), output, "-s", "XML"}).exitCode, 0);
  EXPECT_EQ(std::system(("xmllint --noout '" + output + "'").c_str()), 0);
}

}  // namespace
}  // namespace quintrel_test
