// Black-box tests of the summary reports: whole reports against expected
// files, and the XML and HTML read back by real parsers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

TEST(Reports, MatchTheirExpectedFiles) {
  const std::pair<const char*, const char*> kFormats[] = {
      {"TEXT", ".txt"}, {"XML", ".xml"}, {nullptr, ".html"}};  // HTML is the default
  ScratchDir dir;
  for (std::string trace : {"small", "many", "empty"}) {
    const std::string printed = trace == "empty" ? "can't construct start time\n" : "";
    const std::string warned =
        trace == "empty" ? "quintrel: warning: " + Data("empty.trc") + " holds no trace lines\n"
                         : "";
    for (const auto& [option, suffix] : kFormats) {
      const std::string output = dir.file(trace + suffix);
      std::vector<std::string> args = {Data(trace + ".trc"), output};
      if (option != nullptr) args.insert(args.end(), {"-s", option});
      EXPECT_EQ(RunQuintrel(args), (CliResult{0, printed, warned}));
      EXPECT_EQ(ReadFile(output), ReadFile(Data(trace + suffix))) << output;
    }
  }
  EXPECT_EQ(RunQuintrel({Data("empty.trc"), "CONSOLE", "-s", "TEXT"}).out,
            "can't construct start time\n" + ReadFile(Data("empty.txt")));
}

TEST(Reports, MarkupOnStandardOutputIsADocument) {
  // The start-time message goes to standard error, where the XML and HTML
  // documents on standard output would not be documents with it.
  ScratchDir dir;
  const std::string warning = "quintrel: warning: " + Data("empty.trc") + " holds no trace lines\n";
  for (const auto& [format, suffix] : {std::pair{"XML", ".xml"}, std::pair{"HTML", ".html"}}) {
    EXPECT_EQ(RunQuintrel({Data("empty.trc"), "CONSOLE", "-s", format}),
              (CliResult{0, ReadFile(Data(std::string("empty") + suffix)),
                         warning + "can't construct start time\n"}));
  }
  const CliResult none = RunQuintrel({Data("small.trc"), "CONSOLE", "-s", "XML", "--threads=999"});
  EXPECT_NE(none.err.find("can't construct start time\n"), std::string::npos) << none.err;
  const std::string document = dir.write("none.xml", none.out);
  EXPECT_EQ(std::system(("xmllint --noout '" + document + "'").c_str()), 0) << none.out;
}

TEST(Reports, XmlIsWellFormedForHostileTexts) {
  const std::string bytes =
      "<&>]]>\t\x01\x02\x08\x0b\x1b\x1f\x7f\x80\xbf\xc3\x28\xe2\x82\xf0\x9f\x98\x80\xff\xc0\xaf"
      "\xed\xa0\x80\xef\xbf\xbe";
  ScratchDir dir;
  dir.write("hostile.trc", Header("9") + "API> query,c,select " + bytes + "\nmore " + bytes + "\n" +
                               Header("9", true) + "Res: 'q" + bytes + "'\n" +
                               Call("9", bytes + "," + bytes));
  for (std::string name : {"small", "many", "empty", "hostile"}) {
    const std::string output = dir.file(name + ".xml");
    const std::string trace = name == "hostile" ? dir.file("hostile.trc") : Data(name + ".trc");
    ASSERT_EQ(RunQuintrel({trace, output, "-s", "XML"}).exitCode, 0);
    EXPECT_EQ(std::system(("xmllint --noout '" + output + "'").c_str()), 0) << name;
  }
}

TEST(Reports, HtmlTablesHoldTheExpectedRows) {
  // Counts the data rows of each table with Python's HTML parser.
  const std::string counter =
      "import sys, html.parser\n"
      "class Rows(html.parser.HTMLParser):\n"
      "  tables, counted = [], True\n"
      "  def handle_starttag(self, tag, attrs):\n"
      "    a = dict(attrs)\n"
      "    if tag == 'a' and 'name' in a: self.tables.append([a['name'], 0])\n"
      "    if tag == 'tr': self.counted = False\n"
      "    if tag == 'td' and a.get('bgcolor') == '#f7f7e7' and not self.counted:\n"
      "      self.tables[-1][1], self.counted = self.tables[-1][1] + 1, True\n"
      "p = Rows(); p.feed(open(sys.argv[1], encoding='utf-8', errors='replace').read())\n"
      "print(' '.join('%s=%d' % (name, rows) for name, rows in p.tables))\n";
  ScratchDir dir;
  const std::string script = dir.write("count.py", counter), counts = dir.file("counts");
  const std::pair<std::string, std::string> kCases[] = {
      {"empty", "APISUMMARY=0 TOPAPI=0 TOPQUERY=0 QUERYSUMMARY=0"},
      {"small", "APISUMMARY=9 TOPAPI=10 TOPQUERY=3 QUERYSUMMARY=3"},
      {"many", "APISUMMARY=4 TOPAPI=10 TOPQUERY=20 QUERYSUMMARY=30"},
  };
  for (const auto& [trace, expected] : kCases) {
    const std::string command =
        "python3 '" + script + "' '" + Data(trace + ".html") + "' > '" + counts + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFile(counts), expected + "\n") << trace;
  }
}

}  // namespace
}  // namespace quintrel_test
