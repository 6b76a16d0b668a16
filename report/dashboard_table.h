// DashboardTable: one table of the dashboard page, sortable by a click on a
// column heading when the page's script runs (numeric cells carry their raw
// number in data-v for that). It keeps its rows as markup until written and
// takes them only while they fit in its byte budget, so that no trace can
// make the page large. It owns that markup.
#ifndef QUINTREL_REPORT_DASHBOARD_TABLE_H_
#define QUINTREL_REPORT_DASHBOARD_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel {

class DashboardTable {
 public:
  struct Column {
    const char* heading;
    bool numeric;  // right-aligned, sorted by value
  };
  // A table of `columns` whose rows take at most `budgetBytes` bytes.
  DashboardTable(std::vector<Column> columns, size_t budgetBytes);

  // The cells of the row being built, in column order.
  void count(int64_t value);  // "1,234"
  void seconds(int64_t ms);   // "1.234"
  void mean(double ms);       // whole milliseconds
  void percent(double part, double whole);
  // Seconds, with a bar of `ms` / `maxMs` of the bar's full length that
  // shows `title` on hover.
  void secondsWithBar(int64_t ms, int64_t maxMs, std::string_view title);
  // A trace text, escaped, cut to at most `maxBytes` bytes with an ellipsis;
  // a cut text carries its first kTitleBytes bytes as its title.
  void text(std::string_view text, size_t maxBytes);
  // A short trace text (a thread id, a time stamp) as text() writes it, on
  // one line.
  void label(std::string_view text, size_t maxBytes);
  // A text cell that expands to show `summary` and then `detail` whole.
  void textWithDetail(std::string_view text, size_t maxBytes, std::string_view summary,
                      std::string_view detail);
  // Ends the row. Returns false, dropping the row and taking no more, when it
  // does not fit in what is left of the budget.
  bool endRow();

  size_t rows() const { return rows_; }
  bool full() const { return full_; }
  void write(std::ostream& out) const;

  static constexpr size_t kTitleBytes = 600;

 private:
  void numberCell(const std::string& raw, const std::string& shown);
  void textCellStart(std::string_view text, size_t maxBytes, const char* cssClass);

  std::vector<Column> columns_;
  size_t budget_;
  std::ostringstream row_;
  std::string body_;
  size_t rows_ = 0;
  bool full_ = false;
};

}  // namespace quintrel

#endif  // QUINTREL_REPORT_DASHBOARD_TABLE_H_
