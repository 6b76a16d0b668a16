#include "report/text_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "analysis/profile_builder.h"

namespace quintrel {
namespace {

// The TEXT report of calls given as "apiText|ms|resultText|timeStamp".
std::string TextReport(const std::vector<std::string>& calls) {
  ProfileBuilder summary((AnalysisConfig()));
  for (const std::string& fields : calls) {
    std::istringstream in(fields);
    std::string apiText, ms, resultText;
    std::getline(std::getline(std::getline(in, apiText, '|'), ms, '|'), resultText, '|');
    TraceCall call;
    call.setApiLineText(apiText);
    call.resultText.assign(resultText);
    if (!std::getline(in, call.timeStamp)) call.timeStamp = "Wed Aug  6 14:03:22 2003 412345";
    call.durationMs = std::stoll(ms);
    summary.onCall(&call);
  }
  std::ostringstream report;
  WriteTextReport(summary.takeProfile(), report);
  return report.str();
}

std::string Blanks(size_t count) { return std::string(count, ' '); }

TEST(TextReportTest, LinesInTheirLayoutAndOrder) {
  const std::string k47(47, 'q'), k48(48, 'w');
  // Each line, with its line feeds, must follow the previous one.
  const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
      {{"getfile,c,x|1234|"},
       {"\n   1.234 - getfile,c,x\n",
        "\ngetfile" + Blanks(13) + Blanks(7) + "1" + Blanks(7) + "1.234\n"}},
      {{"query,c,a|1000|q0'", "query,c,b|200|q1'", "query,c,c|34|q2'"},
       {"\nquery" + Blanks(15) + Blanks(7) + "3" + Blanks(7) + "1.234\n"}},
      {{"query,c,select name from item|20|q0'", "next,c,q0|5|", "next,c,q0|5|", "next,c,q0|5|",
        "close,c,q0|1|"},
       {"\n0.036" + Blanks(5) + "4" + Blanks(9) + Blanks(26) + "select name from item\n"}},
      // Equal API totals in descending name order.
      {{"abcdefghijklmnopqrst|1000|", "abcdefghijklmnopqrstu|1000|"},
       {"\nabcdefghijklmnopqrstu       1       1.000\n",
        "\nabcdefghijklmnopqrst       1       1.000\n"}},
      {{"alpha|5|", "gamma|7|", "beta|5|"}, {"\ngamma ", "\nbeta ", "\nalpha "}},
      {{"query,c," + k47 + "|1|q0'", "query,c," + k48 + "|2|q1'"},
       {"\n0.001     0         " + k47 + "\n", "\n0.002     0         " + k48 + "\n"}},
      {{"x|3000000000||Wed Aug  6 00:00:00 2003 0", "y|0||Tue Sep  9 17:20:00 2003 0"},
       {"\n3000000.000 - x\n", "\nx" + Blanks(19) + "       1 3000000.000\n",
        "\nStart Time           : Wed Aug  6 00:00:00 2003 0\n",
        "\nTotal Trace duration : 3000000.000\n", "\nDMCL call duration   : 3000000.000\n"}},
      // Largest first; among equal durations the later call first.
      {{"x1|2|", "x2|2|", "x3|5|"}, {"- x3\n", "- x2\n", "- x1\n"}},
      // Completed queries first, then the open ones in key order.
      {{"query,s1,qd|1|q0'", "query,c,qa|9|q0'", "query,c,qb|1|q0'", "query,c,qc|1|q1'"},
       {" qa\n", " qb\n", " qc\n", " qd\n"}}};
  for (const auto& [calls, lines] : cases) {
    const std::string report = TextReport(calls);
    size_t at = 0;
    for (const std::string& line : lines) {
      at = report.find(line, at + 1);
      ASSERT_NE(at, std::string::npos) << line << "\nin order in\n" << report;
    }
  }
}

}  // namespace
}  // namespace quintrel
