#include "report/dashboard_table.h"

#include <cmath>
#include <cstdint>

#include "report/markup_escape.h"
#include "report/report_format.h"
#include "report/svg_chart.h"

namespace quintrel {

DashboardTable::DashboardTable(std::vector<Column> columns, size_t budgetBytes)
    : columns_(std::move(columns)), budget_(budgetBytes) {}

void DashboardTable::count(int64_t value) { numberCell(Decimal(value), Grouped(value)); }

void DashboardTable::seconds(int64_t ms) { numberCell(Decimal(ms), FixedSeconds(double(ms))); }

void DashboardTable::mean(double ms) {
  int64_t whole = ms < 9.2e18 ? static_cast<int64_t>(std::llround(ms)) : INT64_MAX;
  numberCell(Fixed(ms, 3), Grouped(whole));
}

void DashboardTable::percent(double part, double whole) {
  std::string shown = PercentOf(part, whole);
  numberCell(shown, shown);
}

void DashboardTable::secondsWithBar(int64_t ms, int64_t maxMs, std::string_view title) {
  double length = maxMs > 0 ? 100.0 * double(ms) / double(maxMs) : 0.0;
  row_ << "<td class=\"num\" data-v=\"" << ms
       << "\"><svg class=\"bar\" viewBox=\"0 0 100 10\" preserveAspectRatio=\"none\"><title>";
  WriteHtmlText(row_, title);
  row_ << "</title><rect width=\"" << Coordinate(length) << "\" height=\"10\"/></svg>"
       << FixedSeconds(double(ms)) << "</td>";
}

void DashboardTable::text(std::string_view text, size_t maxBytes) {
  textCellStart(text, maxBytes, "text");
  row_ << "</td>";
}

void DashboardTable::label(std::string_view text, size_t maxBytes) {
  textCellStart(text, maxBytes, "label");
  row_ << "</td>";
}

void DashboardTable::textWithDetail(std::string_view text, size_t maxBytes,
                                    std::string_view summary, std::string_view detail) {
  textCellStart(text, maxBytes, "text");
  row_ << "<details><summary>";
  WriteHtmlText(row_, summary);
  row_ << "</summary><pre>";
  WriteHtmlText(row_, detail);
  row_ << "</pre></details></td>";
}

bool DashboardTable::endRow() {
  std::string row = row_.str();
  row_.str("");
  // Rows stop at the first that does not fit, so that the table shows a
  // prefix of its ranked list.
  if (full_ || body_.size() + row.size() + 10 > budget_) {
    full_ = true;
    return false;
  }
  body_ += "<tr>" + row + "</tr>\n";
  ++rows_;
  return true;
}

void DashboardTable::write(std::ostream& out) const {
  out << "<div class=\"scroll\"><table class=\"sortable\"><thead><tr>";
  for (const Column& column : columns_) {
    out << (column.numeric ? "<th class=\"num\">" : "<th>") << column.heading << "</th>";
  }
  out << "</tr></thead>\n<tbody>\n" << body_ << "</tbody></table></div>\n";
}

void DashboardTable::numberCell(const std::string& raw, const std::string& shown) {
  row_ << "<td class=\"num\" data-v=\"" << raw << "\">" << shown << "</td>";
}

void DashboardTable::textCellStart(std::string_view text, size_t maxBytes, const char* cssClass) {
  row_ << "<td class=\"" << cssClass;
  if (text.size() > maxBytes) {
    // A cut text keeps more of itself in the cell's title.
    row_ << "\" title=\"";
    WriteHtmlAttribute(row_, Utf8Prefix(text, kTitleBytes));
  }
  row_ << "\">";
  WriteHtmlTextCut(row_, text, maxBytes);
}

}  // namespace quintrel
