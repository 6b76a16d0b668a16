#include "report/html_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace quintrel {
namespace {

const std::string kCell = "<td bgcolor='#f7f7e7' align='";
const std::string kFont = "'><font face='SANSSERIF' size='2'>";

std::string Cell(const std::string& text, bool right) {
  return kCell + (right ? "right" : "left") + kFont + text + "</font></td>\n";
}

// Queries of durations 1 to `count` ms named "q1" to "q<count>", plus a tie.
Profile QueryProfile(int count) {
  Profile profile;
  for (int i = 1; i <= count; ++i) {
    QueryRecord record;
    record.queryText.assign("q" + std::to_string(i));
    record.durationMs = i;
    record.rowCount = i % 3;
    profile.queries.onQueryRecord(&record);
  }
  for (int i = std::max(0, count - 20); i < count; ++i) profile.topQueries.push_back(i);
  return profile;
}

TEST(HtmlReportTest, WritesHeadTablesAndRowsFromTheModel) {
  Profile sample;
  sample.startTimestamp = "Wed <Aug>  6 14:03:22 2003 1";
  sample.timeSplit = {98688, TimeSplitError::kNone};
  sample.apiSummary = {{2, 5, "a&b"}, {1, 7, "get"}};
  sample.topCalls = {{TextBuffer("get,c,<x>"), 7}};
  const struct {
    Profile profile;
    std::vector<std::string> inOrder;
  } kCases[] = {
      {Profile(),
       {"Start Date <br>\nElapsed time 0secs<br>\n", "<h3>API Call Summary</h3>",
        "</tr>\n</table><br><br>\n<a name='TOPAPI'>",
        "</tr>\n</table><br><br>\n<a name='TOPQUERY'>",
        "</tr>\n</table><br><br>\n<a name='QUERYSUMMARY'>",
        "</tr>\n</table><br><br>\n</body>\n</html>"}},
      {std::move(sample),
       {"<h2>Palvero Profiler v1.3\n\n</h2>\n\n",
        "Start Date Wed &lt;Aug&gt;  6 14:03:22 2003 1<br>\nElapsed time 98.688secs<br>\n",
        "<tr>" + Cell("get", false) + Cell("0.007", true) + Cell("1", true) + "</tr>\n",
        "<tr>" + Cell("a&amp;b", false) + Cell("0.005", true) + Cell("2", true) + "</tr>\n",
        "<tr>" + Cell("0.007", true) + Cell("get,c,&lt;x&gt;", false) + "</tr>\n"}},
      // The top table from its last entry, the summary in report order.
      {QueryProfile(25),
       {"<h3>Top Queries</h3>", Cell("q25", false), Cell("q6", false), "<h3>Query Summary</h3>",
        Cell("q1", false), Cell("q25", false) + "</tr>\n</table>"}},
  };
  for (const auto& c : kCases) {
    std::ostringstream out;
    WriteHtmlReport(c.profile, out);
    const std::string page = out.str();
    size_t at = 0;
    for (const std::string& piece : c.inOrder) {
      at = page.find(piece, at);
      ASSERT_NE(at, std::string::npos) << piece << "\nin order in\n" << page;
    }
    EXPECT_EQ(page.rfind("</html>"), page.size() - 7);
  }
}

}  // namespace
}  // namespace quintrel
