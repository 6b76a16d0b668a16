// Black-box tests of everyday use: standard input as the trace, filters
// without a prompt, help and version, unknown options, traces that are no
// traces, and Windows-1252 texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/cli_runner.h"
#include "tests/support/compressed_data.h"

namespace quintrel_test {
namespace {

const std::string kUsageTail =
    "Usage:\nquintrel tracefile outputfile [options]\n"
    "options: -s[ummary] { TEXT | HTML | XML }\n         -d[etail]  { RAW | CSV }\n"
    "         -r[pconly]\n         -l[istthreads]\n";
const std::string kUsage = "Palvero Profiler v1.3\n\n" + kUsageTail;
// What follows an invalid value of --since or --until.
const std::string kTimeForms =
    "it must be one of\n"
    "  YYYY-MM-DDTHH:MM[:SS] or 'YYYY-MM-DD HH:MM[:SS]'\n"
    "  HH:MM[:SS] (on the trace's first date)\n"
    "  'Wed Aug  6 18:00:00 2003[ N]' (a stamp as the trace writes it)\n"
    "  +Ns, +Nm or +Nh (after the trace's first stamp)\n";

// Three threads, a call each at 14:03:22, and one more of thread 236 an
// hour later.
std::string ThreeThreads() {
  return Call("236", "get,s0,a") + Call("1008", "get,s0,b") + Call("91", "get,s0,c") +
         TraceHeader("236", "0.000", 1, "Wed Aug  6 15:03:22 2003 1") + "API> get,s0,d\n" +
         TraceHeader("236", "0.002", 2, "Wed Aug  6 15:03:22 2003 1") + "Res: 'T'\n";
}

std::string LateRow() {
  return "\"236\",\"Wed Aug  6 15:03:22 2003 1\",\"1\",\"2\",\"get,s0,d\",\n";
}

TEST(Everyday, StandardInputIsTheTraceDash) {
  ScratchDir dir;
  const std::string csv = CsvRow("3", "get,c,x");
  RunOptions input;
  input.input = Call("3", "get,c,x");
  EXPECT_EQ(RunQuintrel({"-", "CONSOLE", "-d", "CSV"}, input), (CliResult{0, csv, ""}));
  input.inputFromPipe = true;
  EXPECT_EQ(RunQuintrel({"-", "CONSOLE", "-d", "CSV"}, input), (CliResult{0, csv, ""}));
  // A file named "-" is reached as "./-".
  dir.write("-", Call("4", "get,c,y"));
  RunOptions inDir;
  inDir.workDir = dir.path();
  EXPECT_EQ(RunQuintrel({"./-", "CONSOLE", "-d", "CSV"}, inDir),
            (CliResult{0, CsvRow("4", "get,c,y"), ""}));
}

TEST(Everyday, FiltersWithoutAPrompt) {
  ScratchDir dir;
  const std::string trace = dir.write("t.trc", ThreeThreads());
  const std::string early =
      CsvRow("236", "get,s0,a") + CsvRow("1008", "get,s0,b") + CsvRow("91", "get,s0,c");
  const std::string none = "quintrel: warning: the filters leave none of the 4 calls of " + trace;
  const struct {
    std::vector<std::string> filters;
    std::string out;
    std::string warning = "";
  } kCases[] = {
      {{"--threads=236,91"}, CsvRow("236", "get,s0,a") + CsvRow("91", "get,s0,c") + LateRow()},
      {{"--threads=1008"}, CsvRow("1008", "get,s0,b")},
      {{"--threads=0236,9"}, "", none},
      {{"--since=15:00:00"}, LateRow()},
      {{"--until=15:00:00"}, early},
      {{"--since=2003-08-06T14:03:22", "--until=2003-08-06 14:03:23"}, early},
      {{"--since=2003-08-07T00:00:00"}, "", none},
      {{"--since=14:03:23", "--threads=236"}, LateRow()},
      // The other forms of a time: hours and minutes, the trace's stamps,
      // the value as the next argument, offsets from the first stamp.
      {{"--since=15:00"}, LateRow()},
      {{"--since", "15:00"}, LateRow()},
      {{"--until", "2003-08-06 15:03"}, early},
      {{"--since=Wed Aug  6 15:03:22 2003"}, LateRow()},
      {{"--until", "Wed Aug 6 15:03:22 2003 1"}, early},
      {{"--since=Wed Aug  6 15:03:22 2003 2"}, "", none},
      {{"--since=+1h"}, LateRow()},
      {{"--until", "+59m"}, early},
      {{"--since=+3600s", "--until=+1h"}, "", none},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> args = {trace, "CONSOLE", "-d", "CSV"};
    args.insert(args.end(), c.filters.begin(), c.filters.end());
    const std::string err = c.warning.empty() ? "" : c.warning + "\n";
    EXPECT_EQ(RunQuintrel(args), (CliResult{0, c.out, err})) << testing::PrintToString(c.filters);
  }
  // Summaries take the same calls.
  const CliResult text = RunQuintrel({trace, "CONSOLE", "-s", "TEXT", "--since=15:00:00"});
  EXPECT_NE(text.out.find("\nget                        1       0.002\n"), std::string::npos)
      << text.out;
}

// The warning comes with a filter of the extensions or a report of theirs;
// the command lines of old print what they always did.
TEST(Everyday, FiltersThatLeaveNoCallAreNamed) {
  ScratchDir dir;
  const std::string noRpc =
      ApiLine("5", "get,c,x") + "\n" + ResultLine("5", "T'", "0.002", 1) + "\n";
  const std::string two = dir.write("two.trc", noRpc + noRpc);
  const std::string one = dir.write("one.trc", noRpc);
  const std::string warning = "quintrel: warning: the filters leave none of the ";
  const struct {
    std::vector<std::string> args;
    std::string answer;  // at the thread prompt
    std::string err;
  } kCases[] = {
      {{two, "-s", "TEXT", "-r"}, "", ""},
      {{two, "-d", "CSV", "-r"}, "", ""},
      {{two, "-s", "XML", "-r", "--encoding=cp1252"}, "", ""},
      {{two, "-s", "TEXT", "-l"}, "6\n", ""},
      {{two, "-s", "TEXT", "-r", "--threads=5"}, "", warning + "2 calls of " + two + "\n"},
      {{two, "-d", "RAW", "--until=+0s"}, "", warning + "2 calls of " + two + "\n"},
      {{two, "-s", "JSON", "-r"}, "", warning + "2 calls of " + two + "\n"},
      {{two, "-s", "DIGEST", "-l"}, "6\n", warning + "2 calls of " + two + "\n"},
      {{one, "-s", "DASHBOARD", "-r"}, "", warning + "1 call of " + one + "\n"},
      {{two, "-s", "JSON", "-l"}, "5\n", ""},
      {{Data("empty.trc"), "-s", "JSON", "--threads=5"},
       "",
       "quintrel: warning: " + Data("empty.trc") + " holds no trace lines\n"},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin() + 1, dir.file("out"));
    std::remove(dir.file("out").c_str());
    RunOptions options;
    options.input = c.answer;
    const CliResult result = RunQuintrel(args, options);
    EXPECT_EQ(result.exitCode, 0) << testing::PrintToString(c.args);
    EXPECT_EQ(result.err, c.err) << testing::PrintToString(c.args);
  }
}

TEST(Everyday, HelpVersionAndUnknownOptions) {
  const CliResult help = RunQuintrel({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind(kUsage, 0), 0u);
  for (const char* extension :
       {"-s JSON", "-s DIGEST", "-s DASHBOARD", "--threads=", "--since=", "--until=", "--top=",
        "--bucket=", "--encoding=cp1252", "--version", "tracefile -"}) {
    EXPECT_NE(help.out.find(extension), std::string::npos) << extension;
  }
  EXPECT_EQ(RunQuintrel({"trace.trc", "--help"}).out, help.out);
  EXPECT_EQ(RunQuintrel({"--version"}),
            (CliResult{0, "quintrel 1.3\nbuild: " QUINTREL_BUILD "\n", ""}));
  const std::pair<std::vector<std::string>, std::string> kErrors[] = {
      {{"t", "o", "--bogus"}, "unknown option --bogus\n"},
      {{"t", "o", "--"}, "unknown option --\n"},
      {{"t", "o", "--top=0"}, "invalid value for --top: 0\n"},
      {{"t", "o", "--top"}, "option --top needs a value: --top=...\n"},
      {{"t", "o", "--since=25:00:00"}, "invalid value for --since: 25:00:00\n" + kTimeForms},
      {{"t", "o", "--until=2003-02-30T00:00:00"},
       "invalid value for --until: 2003-02-30T00:00:00\n" + kTimeForms},
      {{"t", "o", "--until", "+15d"}, "invalid value for --until: +15d\n" + kTimeForms},
      {{"t", "o", "--since", "Wed Aug  6 18:00"},
       "invalid value for --since: Wed Aug  6 18:00\n" + kTimeForms},
      {{"t", "o", "--since"}, "option --since needs a value: --since=...\n"},
      {{"t", "o", "--top", "5"}, "option --top needs a value: --top=...\n"},
      {{"t", "o", "--threads=1,,2"}, "invalid value for --threads: 1,,2\n"},
      {{"t", "o", "--encoding=utf-16"}, "invalid value for --encoding: utf-16\n"},
      {{"t", "o", "-l", "--threads=1"}, "--threads and -l are mutually exclusive\n"},
      {{"t", "o", "--top=5", "--top=6"}, "option --top given twice\n"},
      {{"t", "o", "--since", "14:00", "--since=15:00"}, "option --since given twice\n"},
  };
  // The reason of an extension's usage error goes to standard error, out of
  // whatever reads the report; the usage text stays where it always was.
  for (const auto& [args, message] : kErrors) {
    EXPECT_EQ(RunQuintrel(args), (CliResult{1, kUsage, message})) << args[2];
  }
  EXPECT_EQ(RunQuintrel({"t", "o", "-s", "json"}),
            (CliResult{1, "outputformat must be TEXT, HTML or XML format\n" + kUsage, ""}));
}

TEST(Everyday, AFileWithoutTraceLinesIsNamed) {
  ScratchDir dir;
  const std::string notATrace = dir.write("passwd", "root:x:0:0:root:/root:/bin/bash\n");
  EXPECT_EQ(RunQuintrel({notATrace, "CONSOLE", "-d", "CSV"}),
            (CliResult{0, "", "quintrel: warning: " + notATrace + " holds no trace lines\n"}));
  // An empty file holds none either; a trace whose reading failed is not
  // said to hold none, whatever it gave before the failure.
  EXPECT_EQ(
      RunQuintrel({Data("empty.trc"), "CONSOLE", "-d", "CSV"}),
      (CliResult{0, "", "quintrel: warning: " + Data("empty.trc") + " holds no trace lines\n"}));
  const std::string whole = GzipMember(std::string(4096, 'x'));
  const std::string cut = dir.write("cut.gz", whole.substr(0, whole.size() - 3));
  const CliResult truncated = RunQuintrel({cut, "CONSOLE", "-d", "CSV"});
  EXPECT_EQ(truncated.exitCode, 3);
  EXPECT_EQ(truncated.err.find("holds no trace lines"), std::string::npos) << truncated.err;
}

TEST(Everyday, WindowsTextsBecomeUtf8) {
  ScratchDir dir;
  const std::string trace = dir.write("w.trc", Call("5", "get,c,caf\xe9 \x80 \x81"));
  EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-d", "CSV", "--encoding=cp1252"}).out,
            CsvRow("5", "get,c,caf\xc3\xa9 \xe2\x82\xac \xef\xbf\xbd"));
  EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-d", "CSV"}).out,
            CsvRow("5", "get,c,caf\xe9 \x80 \x81"));
  const CliResult xml = RunQuintrel({trace, "CONSOLE", "-s", "XML", "--encoding=cp1252"});
  EXPECT_NE(xml.out.find("<api_call>get,c,caf\xc3\xa9 \xe2\x82\xac \xef\xbf\xbd</api_call>"),
            std::string::npos)
      << xml.out;
}

TEST(Everyday, CompressedTracesAreReadAsTheyAre) {
  ScratchDir dir;
  const std::string plain = ThreeThreads(), half = plain.substr(0, plain.size() / 2);
  const std::string csv = RunQuintrel({dir.write("t.trc", plain), "CONSOLE", "-d", "CSV"}).out;
  ASSERT_FALSE(csv.empty());
  const std::pair<std::string, std::string> kTraces[] = {
      {"gzip", GzipMember(plain)},
      {"gzip members", GzipMember(half) + GzipMember(plain.substr(half.size()), 1)},
      {"zstd", ZstdFrame(plain)},
      {"zstd frames",
       ZstdFrame(half) + ZstdSkippableFrame("x") + ZstdFrame(plain.substr(half.size()))},
  };
  for (const auto& [what, bytes] : kTraces) {
    // Recognised by the bytes, whatever the name says.
    const std::string trace = dir.write("trace.txt", bytes);
    EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-d", "CSV"}), (CliResult{0, csv, ""})) << what;
    RunOptions input;
    input.input = bytes;
    input.inputFromPipe = true;
    EXPECT_EQ(RunQuintrel({"-", "CONSOLE", "-d", "CSV"}, input), (CliResult{0, csv, ""})) << what;
    input.input = "*\n";
    input.inputFromPipe = false;
    EXPECT_EQ(RunQuintrel({trace, "CONSOLE", "-l", "-d", "CSV"}, input),
              (CliResult{0, "1008\n236\n91\n" + kPrompt + csv, ""}))
        << what;
  }
}

TEST(Everyday, DamagedCompressedTracesReportWhatWasRead) {
  ScratchDir dir;
  std::string calls;
  for (int i = 0; i < 2000; ++i) calls += Call("1", "get,c," + std::to_string(i));
  const std::string gzip = GzipMember(calls, 1), zstd = ZstdFrame(calls);
  std::string corrupt = gzip;
  corrupt[corrupt.size() - 6] ^= 0x55;  // the crc
  const std::pair<std::string, std::string> kTraces[] = {
      {gzip.substr(0, gzip.size() * 2 / 3), "unexpected end of compressed data"},
      {zstd.substr(0, zstd.size() / 2), "unexpected end of compressed data"},
      {corrupt, "invalid compressed data (crc mismatch)"},
  };
  for (const auto& [bytes, reason] : kTraces) {
    const std::string trace = dir.write("t.gz", bytes), output = dir.file("out.txt");
    std::remove(output.c_str());
    const CliResult result = RunQuintrel({trace, output, "-s", "TEXT"});
    EXPECT_EQ(result, (CliResult{3, "", "cannot read trace file " + trace + ": " + reason + "\n"}));
    const std::string report = ReadFile(output);
    EXPECT_NE(report.find("\nget  "), std::string::npos) << reason;
  }
}

}  // namespace
}  // namespace quintrel_test
