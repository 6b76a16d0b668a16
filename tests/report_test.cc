// Black-box tests of the summary reports: whole reports against expected
// files, and the XML and HTML read back by real parsers.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

std::string Data(const std::string& name) { return SourcePath("tests/data/" + name); }

struct Report {
  const char* option;  // -s value, or nullptr for the default
  const char* suffix;
};
const Report kReports[] = {{"TEXT", ".txt"}, {"XML", ".xml"}, {nullptr, ".html"}};

std::vector<std::string> Args(const std::string& trace, const std::string& output,
                              const Report& report) {
  std::vector<std::string> args = {trace, output};
  if (report.option != nullptr) args.insert(args.end(), {"-s", report.option});
  return args;
}

TEST(Reports, MatchTheirExpectedFiles) {
  ScratchDir dir;
  for (std::string trace : {"small", "many", "empty"}) {
    for (const Report& report : kReports) {
      std::string output = dir.file(trace + report.suffix);
      CliResult result = RunQuintrel(Args(Data(trace + ".trc"), output, report));
      EXPECT_EQ(result.exitCode, 0);
      EXPECT_EQ(result.out, trace == "empty" ? "can't construct start time\n" : "");
      EXPECT_EQ(ReadFile(output), ReadFile(Data(trace + report.suffix))) << output;
    }
  }
}

TEST(Reports, ConsoleReportFollowsTheMessage) {
  CliResult result = RunQuintrel({Data("empty.trc"), "CONSOLE", "-s", "TEXT"});
  EXPECT_EQ(result.out, "can't construct start time\n" + ReadFile(Data("empty.txt")));
}

// Runs a command and returns its exit status.
int Shell(const std::string& command) { return std::system(command.c_str()); }

TEST(Reports, XmlIsWellFormedForHostileTexts) {
  ScratchDir dir;
  std::string header = "# [ 5 ] Wed Aug  6 14:03:22 2003 0 ( 0.000 sec) ( 1 rpc) API> ";
  std::string result = "# [ 5 ] Wed Aug  6 14:03:22 2003 9 ( 0.002 sec) ( 2 rpc) Res: 'q0'\n";
  std::string hostile = "a<b&c>d]]>\x01\x02\x7f\xff\xc0\xaf\xed\xa0\x80\xef\xbf\xbe\t\x1b";
  std::string trace = header + "query,c,select " + hostile + "\n" + "more " + hostile + "\n" +
                      result + header + hostile + "," + hostile + "\n" + result;
  std::string path = dir.write("hostile.trc", trace);
  for (std::string name : {"small", "many", "empty", "hostile"}) {
    std::string input = name == "hostile" ? path : Data(name + ".trc");
    std::string output = dir.file(name + ".xml");
    ASSERT_EQ(RunQuintrel({input, output, "-s", "XML"}).exitCode, 0);
    EXPECT_EQ(Shell("xmllint --noout '" + output + "'"), 0) << name;
  }
}

TEST(Reports, HtmlTablesHoldTheExpectedRows) {
  // Counts the data rows of each table with Python's HTML parser.
  const std::string counter =
      "import sys, html.parser\n"
      "class Rows(html.parser.HTMLParser):\n"
      "  tables = []\n"
      "  def handle_starttag(self, tag, attrs):\n"
      "    a = dict(attrs)\n"
      "    if tag == 'a' and 'name' in a: self.tables.append([a['name'], 0])\n"
      "    if tag == 'tr': self.counted = False\n"
      "    if tag == 'td' and a.get('bgcolor') == '#f7f7e7' and not self.counted:\n"
      "      self.tables[-1][1] += 1\n"
      "      self.counted = True\n"
      "p = Rows()\n"
      "p.feed(open(sys.argv[1], encoding='utf-8', errors='replace').read())\n"
      "print(' '.join('%s=%d' % (name, rows) for name, rows in p.tables))\n";
  ScratchDir dir;
  std::string script = dir.write("count.py", counter);
  struct Case {
    std::string trace, counts;
  } cases[] = {
      {"empty", "APISUMMARY=0 TOPAPI=0 TOPQUERY=0 QUERYSUMMARY=0"},
      {"small", "APISUMMARY=9 TOPAPI=10 TOPQUERY=3 QUERYSUMMARY=3"},
      {"many", "APISUMMARY=4 TOPAPI=10 TOPQUERY=20 QUERYSUMMARY=30"},
  };
  for (const Case& c : cases) {
    std::string counts = dir.file(c.trace + ".counts");
    ASSERT_EQ(
        Shell("python3 '" + script + "' '" + Data(c.trace + ".html") + "' > '" + counts + "'"), 0);
    EXPECT_EQ(ReadFile(counts), c.counts + "\n") << c.trace;
  }
}

}  // namespace
}  // namespace quintrel_test
