// Black-box tests of the command line, the exit codes and the file handling.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

const char kApi[] =
    "# [ 3412 ] Wed Aug  6 14:03:22 2003 412345 ( 0.000 sec) ( 118 rpc) API> get,s0,x";
const char kResult[] =
    "# [ 3412 ] Wed Aug  6 14:03:22 2003 427345 ( 0.015 sec) ( 119 rpc) Res: 'q0'";
const char kCsvRow[] = "\"3412\",\"Wed Aug  6 14:03:22 2003 412345\",\"1\",\"15\",\"get,s0,x\",\n";

std::string Data(const std::string& name) { return SourcePath("tests/data/" + name); }

TEST(Cli, UsageErrorsExitWithOne) {
  const std::string usage =
      "Palvero Profiler v1.3\n\nUsage:\nquintrel tracefile outputfile [options]\n"
      "options: -s[ummary] { TEXT | HTML | XML }\n         -d[etail]  { RAW | CSV }\n"
      "         -r[pconly]\n         -l[istthreads]\n";
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"trace"}, ""},
      {{"t", "o", "x"}, "unexpected parameter x\n"},
      {{"t", "o", "-d"}, "detail mode option must specifiy RAW or CSV format\n"},
      {{"t", "o", "-s", "html"}, "outputformat must be TEXT, HTML or XML format\n"},
      {{"t", "o", "-d", "CSV", "-s", "TEXT"}, "detail and summary mode are mutually exclusive\n"},
  };
  for (const Case& c : cases) {
    CliResult result = RunQuintrel(c.args);
    EXPECT_EQ(result.exitCode, 1) << c.message;
    EXPECT_EQ(result.out, c.message + usage);
    EXPECT_EQ(result.err, "");
  }
}

TEST(Cli, VersionBannerComesFirstAndTheRunGoesOn) {
  ScratchDir dir;
  std::string trace = dir.write("t.trc", std::string(kApi) + "\n" + kResult + "\n");
  CliResult result = RunQuintrel({trace, "CONSOLE", "-v", "-d", "CSV"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, std::string("Palvero Profiler v1.3\n\n") + kCsvRow);
}

TEST(Cli, ExistingOutputIsLeftUnchanged) {
  ScratchDir dir;
  std::string output = dir.write("out.txt", "precious\n");
  CliResult result = RunQuintrel({Data("small.trc"), output, "-s", "TEXT"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "File " + output + " already exists\nCannot overwrite existing file\n");
  EXPECT_EQ(ReadFile(output), "precious\n");
}

TEST(Cli, DanglingLinkCountsAsExisting) {
  ScratchDir dir;
  std::string link = dir.file("link");
  ASSERT_EQ(symlink(dir.file("nowhere").c_str(), link.c_str()), 0);
  CliResult result = RunQuintrel({Data("small.trc"), link});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "File " + link + " already exists\nCannot overwrite existing file\n");
  struct stat status;
  EXPECT_NE(stat(dir.file("nowhere").c_str(), &status), 0);
}

TEST(Cli, OutputThatCannotBeCreatedSaysWhy) {
  ScratchDir dir;
  std::string output = dir.file("missing/out.txt");
  CliResult result = RunQuintrel({Data("small.trc"), output});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "Cannot create file " + output + ": No such file or directory\n");
  result = RunQuintrel({Data("small.trc"), ""});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "Cannot create file : No such file or directory\n");
}

TEST(Cli, UnreadableTraceGivesEmptyListingAndExitThree) {
  ScratchDir dir;
  struct Case {
    std::string trace;
    std::string message;
  } cases[] = {
      {dir.file("absent.trc"), "cannot open trace file " + dir.file("absent.trc") + "\n"},
      {dir.path(), "cannot read trace file " + dir.path() + "\n"},
  };
  for (const Case& c : cases) {
    CliResult result = RunQuintrel({c.trace, "CONSOLE", "-d", "CSV"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.message);
  }
}

TEST(Cli, UnreadableTraceStillWritesTheEmptyReport) {
  ScratchDir dir;
  std::string output = dir.file("out.txt");
  CliResult result = RunQuintrel({dir.file("absent.trc"), output, "-s", "TEXT"});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.out, "can't construct start time\n");
  EXPECT_EQ(ReadFile(output), ReadFile(Data("empty.txt")));
}

TEST(Cli, DetailListingsMatchTheirExpectedFiles) {
  ScratchDir dir;
  struct Case {
    std::string format, expected;
  } cases[] = {{"CSV", "small.csv"}, {"RAW", "small.raw"}};
  for (const Case& c : cases) {
    std::string output = dir.file("out." + c.format);
    CliResult result = RunQuintrel({Data("small.trc"), output, "-d", c.format});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out + result.err, "");
    EXPECT_EQ(ReadFile(output), ReadFile(Data(c.expected))) << c.format;
    result = RunQuintrel({Data("small.trc"), "CONSOLE", "-d", c.format});
    EXPECT_EQ(result.out, ReadFile(Data(c.expected))) << c.format;
  }
}

TEST(Cli, LineEndsAndLastLines) {
  ScratchDir dir;
  std::string crlf = std::string(kApi) + "\r\n" + kResult + "\r\n";
  std::string noFinalFeed = std::string(kApi) + "\n" + kResult;
  std::string raw = std::string(kApi) + "\n" + kResult + "\n";
  struct Case {
    std::string trace, csv, raw;
  } cases[] = {
      {crlf, kCsvRow, raw + "\n"},  // the empty last line joins the open call
      {noFinalFeed, kCsvRow, raw},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    std::string trace = dir.write("t.trc", c.trace);
    EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-d", "CSV"}).out, c.csv);
    EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-d", "RAW"}).out, c.raw);
  }
}

}  // namespace
}  // namespace quintrel_test
