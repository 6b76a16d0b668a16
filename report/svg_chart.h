// SvgChart: writes one chart as inline SVG into an HTML page, in the units of
// a fixed view box that the page scales to its width: rectangles, lines,
// labels, and groups whose <title> a browser shows on hover. Texts are
// escaped. It owns nothing; the stream must outlive it.
#ifndef QUINTREL_REPORT_SVG_CHART_H_
#define QUINTREL_REPORT_SVG_CHART_H_

#include <ostream>
#include <string>
#include <string_view>

namespace quintrel {

class SvgChart {
 public:
  // Writes the start of an <svg> of `width` x `height` units described by
  // `label` for screen readers; end() writes its end.
  SvgChart(std::ostream& out, int width, int height, std::string_view label);
  SvgChart(const SvgChart&) = delete;
  SvgChart& operator=(const SvgChart&) = delete;

  // A rectangle of the CSS class `cssClass`.
  void rect(double x, double y, double width, double height, const char* cssClass);
  void line(double x1, double y1, double x2, double y2, const char* cssClass);
  // A label; `anchor` is "start", "middle" or "end".
  void text(double x, double y, std::string_view text, const char* anchor,
            const char* cssClass = "label");
  // A triangle pointing down with its tip at (x, y), to mark a bar.
  void marker(double x, double y, const char* cssClass);
  // The shapes between beginGroup() and endGroup() share the hover `title`.
  void beginGroup(std::string_view title);
  void endGroup();
  void end();

 private:
  std::ostream& out_;
};

// A coordinate with at most one decimal: "12", "12.5".
std::string Coordinate(double value);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_SVG_CHART_H_
