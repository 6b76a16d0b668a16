#include "report/svg_chart.h"

#include <cmath>

#include "report/markup_escape.h"
#include "report/report_format.h"

namespace quintrel {

SvgChart::SvgChart(std::ostream& out, int width, int height, std::string_view label) : out_(out) {
  // No namespace attribute: an HTML page's parser puts <svg> in SVG's own.
  out_ << "<svg viewBox=\"0 0 " << width << ' ' << height << "\" role=\"img\" aria-label=\"";
  WriteHtmlAttribute(out_, label);
  out_ << "\">\n";
}

void SvgChart::rect(double x, double y, double width, double height, const char* cssClass) {
  out_ << "<rect class=\"" << cssClass << "\" x=\"" << Coordinate(x) << "\" y=\"" << Coordinate(y)
       << "\" width=\"" << Coordinate(width) << "\" height=\"" << Coordinate(height) << "\"/>";
}

void SvgChart::line(double x1, double y1, double x2, double y2, const char* cssClass) {
  out_ << "<line class=\"" << cssClass << "\" x1=\"" << Coordinate(x1) << "\" y1=\""
       << Coordinate(y1) << "\" x2=\"" << Coordinate(x2) << "\" y2=\"" << Coordinate(y2)
       << "\"/>\n";
}

void SvgChart::text(double x, double y, std::string_view text, const char* anchor,
                    const char* cssClass) {
  out_ << "<text class=\"" << cssClass << "\" x=\"" << Coordinate(x) << "\" y=\"" << Coordinate(y)
       << "\" text-anchor=\"" << anchor << "\">";
  WriteHtmlText(out_, text);
  out_ << "</text>\n";
}

void SvgChart::marker(double x, double y, const char* cssClass) {
  out_ << "<path class=\"" << cssClass << "\" d=\"M" << Coordinate(x - 5) << ' '
       << Coordinate(y - 8) << "h10l-5 8z\"/>\n";
}

void SvgChart::beginGroup(std::string_view title) {
  out_ << "<g><title>";
  WriteHtmlText(out_, title);
  out_ << "</title>";
}

void SvgChart::endGroup() { out_ << "</g>\n"; }

void SvgChart::end() { out_ << "</svg>\n"; }

std::string Coordinate(double value) {
  double tenths = std::round(value * 10.0);
  if (tenths == 0.0) return "0";  // not "-0"
  if (std::fmod(tenths, 10.0) == 0.0) return Fixed(tenths / 10.0, 0);
  return Fixed(tenths / 10.0, 1);
}

}  // namespace quintrel
