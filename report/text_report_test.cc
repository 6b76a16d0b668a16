#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/trace_summary.h"

namespace quintrel {
namespace {

// The TEXT report of calls given as "apiText|ms|resultText|timeStamp";
// `printed` receives what went to standard output.
std::string TextReport(const std::vector<std::string>& calls, std::string* printed = nullptr) {
  std::ostringstream report;
  TraceSummary summary(&report, "*", false, "RAW", true);
  for (const std::string& fields : calls) {
    std::istringstream in(fields);
    std::string ms;
    TraceCall call;
    std::getline(std::getline(std::getline(in, call.apiText, '|'), ms, '|'), call.resultText, '|');
    if (!std::getline(in, call.timeStamp)) call.timeStamp = "Wed Aug  6 14:03:22 2003 412345";
    call.durationMs = std::stoll(ms);
    summary.onCall(&call);
  }
  testing::internal::CaptureStdout();
  summary.writeTextReport();
  std::fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  if (printed != nullptr) *printed = out;
  return report.str();
}

std::string Blanks(size_t count) { return std::string(count, ' '); }

TEST(TextReportTest, EmptySummary) {
  std::string printed;
  EXPECT_EQ(TextReport({}, &printed),
            "DMCL Trace Summary\n==================\n\nTop 10 api calls:\n\n"
            "Time       API\n--------   ---------------------------------\n\n\n"
            "API call summary:\n\nAPI                     Freq    Duration\n"
            "------------------- -------- -----------\n\n\n"
            "Query summary:\n\nDuration  Rows      Query\n"
            "--------- --------  -------------------------------------------\n\n\n"
            "Time Split:\nStart Time           : \n"
            "Total Trace duration :       0.000\nDMCL call duration   :       0.000\n");
  EXPECT_EQ(printed, "can't construct start time\n");
}

TEST(TextReportTest, LineLayouts) {
  const std::string k47(47, 'q'), k48(48, 'w');
  const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
      {{"getfile,c,x|1234|"},
       {"   1.234 - getfile,c,x", "getfile" + Blanks(13) + Blanks(7) + "1" + Blanks(7) + "1.234"}},
      {{"query,c,a|1000|q0'", "query,c,b|200|q1'", "query,c,c|34|q2'"},
       {"query" + Blanks(15) + Blanks(7) + "3" + Blanks(7) + "1.234"}},
      {{"query,c,select name from item|20|q0'", "next,c,q0|5|", "next,c,q0|5|", "next,c,q0|5|",
        "close,c,q0|1|"},
       {"0.036" + Blanks(5) + "4" + Blanks(9) + Blanks(26) + "select name from item"}},
      {{"abcdefghijklmnopqrst|1000|", "abcdefghijklmnopqrstu|1000|"},
       {"abcdefghijklmnopqrst       1       1.000", "abcdefghijklmnopqrstu       1       1.000"}},
      {{"query,c," + k47 + "|1|q0'", "query,c," + k48 + "|2|q1'"},
       {"0.001     0         " + k47, "0.002     0         " + k48}},
      {{"x|3000000000||Wed Aug  6 00:00:00 2003 0", "y|0||Tue Sep  9 17:20:00 2003 0"},
       {"3000000.000 - x", "x" + Blanks(19) + "       1 3000000.000",
        "Start Time           : Wed Aug  6 00:00:00 2003 0", "Total Trace duration : 3000000.000",
        "DMCL call duration   : 3000000.000"}}};
  for (const auto& [calls, lines] : cases) {
    std::string report = TextReport(calls);
    for (const std::string& line : lines) {
      EXPECT_NE(report.find("\n" + line + "\n"), std::string::npos) << line << "\nin\n" << report;
    }
  }
}

TEST(TextReportTest, RowOrder) {
  const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
      // Largest first; among equal durations the later call first.
      {{"x1|2|", "x2|2|", "x3|5|"}, {"- x3\n", "- x2\n", "- x1\n"}},
      // Equal API totals in descending name order.
      {{"alpha|5|", "gamma|7|", "beta|5|"}, {"\ngamma ", "\nbeta ", "\nalpha "}},
      // Completed queries first, then the open ones in key order.
      {{"query,s1,qd|1|q0'", "query,c,qa|9|q0'", "query,c,qb|1|q0'", "query,c,qc|1|q1'"},
       {" qa\n", " qb\n", " qc\n", " qd\n"}}};
  for (const auto& [calls, markers] : cases) {
    std::string report = TextReport(calls);
    size_t previous = 0;
    for (const std::string& marker : markers) {
      size_t position = report.find(marker);
      EXPECT_TRUE(position != std::string::npos && position > previous) << marker << report;
      previous = position;
    }
  }
}

}  // namespace
}  // namespace quintrel
