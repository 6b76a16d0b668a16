#include "report/svg_chart.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

#include "report/dashboard_charts.h"

namespace quintrel {
namespace {

TEST(SvgChartTest, CoordinatesAndSpans) {
  const std::pair<double, std::string> coordinates[] = {
      {0, "0"},        {-0.04, "0"},    {12, "12"},       {12.04, "12"},
      {12.05, "12.1"}, {-3.25, "-3.3"}, {999.96, "1000"}, {1e7 / 3, "3333333.3"},
  };
  for (const auto& [value, text] : coordinates) EXPECT_EQ(Coordinate(value), text) << value;
  const std::pair<int64_t, std::string> spans[] = {
      {0, "0 s"},    {1, "1 s"},       {90, "90 s"},   {120, "2 min"},
      {3600, "1 h"}, {5400, "90 min"}, {86400, "1 d"}, {172800, "2 d"},
  };
  for (const auto& [seconds, text] : spans) EXPECT_EQ(SpanText(seconds), text) << seconds;
}

TEST(SvgChartTest, WritesShapesAndEscapesTexts) {
  std::ostringstream out;
  SvgChart chart(out, 1000, 250, "a \"b\" <c>");
  chart.beginGroup("</title><script>");
  chart.rect(1, 2.25, 3, 4, "dmcl");
  chart.endGroup();
  chart.text(5, 6, "x < y & z", "end");
  chart.line(0, 1, 2, 3, "axis");
  chart.marker(10, 20, "peak");
  chart.end();
  EXPECT_EQ(out.str(),
            "<svg viewBox=\"0 0 1000 250\" role=\"img\" aria-label=\"a &quot;b&quot; "
            "&lt;c&gt;\">\n"
            "<g><title>&lt;/title&gt;&lt;script&gt;</title>"
            "<rect class=\"dmcl\" x=\"1\" y=\"2.3\" width=\"3\" height=\"4\"/></g>\n"
            "<text class=\"label\" x=\"5\" y=\"6\" text-anchor=\"end\">x &lt; y &amp; z</text>\n"
            "<line class=\"axis\" x1=\"0\" y1=\"1\" x2=\"2\" y2=\"3\"/>\n"
            "<path class=\"peak\" d=\"M5 12h10l-5 8z\"/>\n"
            "</svg>\n");
}

}  // namespace
}  // namespace quintrel
