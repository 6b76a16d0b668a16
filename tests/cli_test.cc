// Black-box tests of the command line, the exit codes and the file handling.
#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

TEST(Cli, UsageErrorsExitWithOne) {
  const std::string usage =
      "Palvero Profiler v1.3\n\nUsage:\nquintrel tracefile outputfile [options]\n"
      "options: -s[ummary] { TEXT | HTML | XML }\n         -d[etail]  { RAW | CSV }\n"
      "         -r[pconly]\n         -l[istthreads]\n";
  const std::pair<std::vector<std::string>, std::string> kCases[] = {
      {{"trace"}, ""},
      {{"t", "o", "x"}, "unexpected parameter x\n"},
      {{"t", "o", "-d"}, "detail mode option must specifiy RAW or CSV format\n"},
      {{"t", "o", "-s", "html"}, "outputformat must be TEXT, HTML or XML format\n"},
      {{"t", "o", "-d", "CSV", "-s", "TEXT"}, "detail and summary mode are mutually exclusive\n"},
  };
  for (const auto& [args, message] : kCases)
    EXPECT_EQ(RunQuintrel(args), (CliResult{1, message + usage, ""}));
}

TEST(Cli, VersionBannerComesFirstAndTheRunGoesOn) {
  ScratchDir dir;
  EXPECT_EQ(RunQuintrel({dir.write("t", Call("3412", "get,s0,x")), "CONSOLE", "-v", "-d", "CSV"}),
            (CliResult{0, "Palvero Profiler v1.3\n\n" + CsvRow("3412", "get,s0,x"), ""}));
}

TEST(Cli, OutputThatExistsOrCannotBeCreatedExitsWithTwo) {
  ScratchDir dir;
  const std::string existing = dir.write("out.txt", "precious\n"), link = dir.file("link"),
                    missing = dir.file("missing/out.txt"), exists = " already exists\n";
  ASSERT_EQ(symlink(dir.file("nowhere").c_str(), link.c_str()), 0);  // dangling: it exists
  const std::pair<std::string, std::string> kCases[] = {
      {existing, "File " + existing + exists + "Cannot overwrite existing file\n"},
      {link, "File " + link + exists + "Cannot overwrite existing file\n"},
      {missing, "Cannot create file " + missing + ": No such file or directory\n"},
      {"", "Cannot create file : No such file or directory\n"}};
  for (const auto& [output, message] : kCases)
    EXPECT_EQ(RunQuintrel({Data("small.trc"), output, "-s", "TEXT"}), (CliResult{2, message, ""}));
  EXPECT_EQ(ReadFile(existing), "precious\n");
  EXPECT_NE(access(dir.file("nowhere").c_str(), F_OK), 0);
}

TEST(Cli, UnreadableTraceExitsWithThree) {
  ScratchDir dir;
  const std::string absent = dir.file("absent.trc"), output = dir.file("out.txt");
  const std::string notOpened =
      "cannot open trace file " + absent + ": No such file or directory\n";
  // A trace that cannot be opened: nothing is written, no file is created.
  EXPECT_EQ(RunQuintrel({absent, "CONSOLE", "-s", "TEXT"}), (CliResult{3, "", notOpened}));
  EXPECT_EQ(RunQuintrel({absent, output, "-s", "TEXT"}), (CliResult{3, "", notOpened}));
  EXPECT_NE(access(output.c_str(), F_OK), 0);
  // One that fails while read: the report of what was read is written.
  EXPECT_EQ(RunQuintrel({dir.path(), "CONSOLE", "-d", "CSV"}),
            (CliResult{3, "", "cannot read trace file " + dir.path() + ": Is a directory\n"}));
  EXPECT_EQ(RunQuintrel({dir.path(), output, "-s", "TEXT"}),
            (CliResult{3, "can't construct start time\n",
                       "cannot read trace file " + dir.path() + ": Is a directory\n"}));
  EXPECT_EQ(ReadFile(output), ReadFile(Data("empty.txt")));
}

TEST(Cli, DetailListingsMatchTheirExpectedFiles) {
  ScratchDir dir;
  const RunOptions fromPipe{ReadFile(Data("small.trc")), "", true};
  for (std::string format : {"CSV", "RAW"}) {
    const std::string expected = ReadFile(Data(format == "CSV" ? "small.csv" : "small.raw"));
    const std::string output = dir.file("out." + format);
    EXPECT_EQ(RunQuintrel({Data("small.trc"), output, "-d", format}), (CliResult{0, "", ""}));
    EXPECT_EQ(ReadFile(output), expected) << format;
    EXPECT_EQ(RunQuintrel({Data("small.trc"), "CONSOLE", "-d", format}),
              (CliResult{0, expected, ""}));
    EXPECT_EQ(RunQuintrel({"/dev/stdin", "CONSOLE", "-d", format}, fromPipe),
              (CliResult{0, expected, ""}));
  }
}

TEST(Cli, LineEndsAndLastLines) {
  // CRLF and LF end lines; a lone carriage return is part of its line and
  // never starts a header.
  const std::string call = Call("4", "get,s0,x"), csv = CsvRow("4", "get,s0,x");
  const std::string mixed = Header("4") + "API> get,s0,x\r" + Header("5") + "API> get,s0,y\r\n" +
                            Header("4", true) + "Res: 'T'\r\n" + Header("4") + "API> save,s0,z\n" +
                            Header("4", true) + "Res: 'T'\r";
  const struct {
    std::string trace, csv, raw;
  } kCases[] = {
      // The empty last line joins the open call.
      {std::regex_replace(call, std::regex("\n"), "\r\n"), csv, call + "\n"},
      {call.substr(0, call.size() - 1), csv, call},
      {"", "", ""},
      {mixed, CsvRow("4", "get,s0,x\r" + Header("5") + "API> get,s0,y") + CsvRow("4", "save,s0,z"),
       std::regex_replace(mixed, std::regex("\r\n"), "\n") + "\n"},
  };
  ScratchDir dir;
  for (const auto& c : kCases) {
    const std::string trace = dir.write("t.trc", c.trace);
    const std::string warned =
        c.trace.empty() ? "quintrel: warning: " + trace + " holds no trace lines\n" : "";
    EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-d", "CSV"}), (CliResult{0, c.csv, warned}));
    EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-d", "RAW"}), (CliResult{0, c.raw, warned}));
  }
}

}  // namespace
}  // namespace quintrel_test
