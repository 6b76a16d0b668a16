// The HTML summary report: a page with a header, links and four tables.
#include <initializer_list>

#include "analysis/trace_summary.h"
#include "app/parameter_map.h"
#include "report/elapsed_time.h"
#include "report/markup_escape.h"
#include "report/report_format.h"

namespace quintrel {

namespace {

void WriteHeaderCell(std::ostream& out, std::string_view text) {
  out << "<th scope='col' bgcolor='#cccc99'><b><font color='#336699' face='SANSSERIF' size='2'>"
      << text << "</font></b></th>\n";
}

void WriteAlignedCell(std::ostream& out, std::string_view text, bool alignRight) {
  out << "<td bgcolor='#f7f7e7' align='" << (alignRight ? "right" : "left")
      << "'><font face='SANSSERIF' size='2'>" << text << "</font></td>\n";
}

// Everything of a table before its rows: anchor, wrapper, title, header row.
void WriteTableStart(std::ostream& out, const char* anchor, const char* title,
                     std::initializer_list<const char*> headers) {
  out << "<a name='" << anchor << "'></a>\n";
  out << "<table border='0' cellpadding='0' width='600'>\n"
      << "<tbody><tr><td width='80%'></td><td width='20%'></td></tr>\n"
      << "<tr><td>\n";
  out << "<h3>" << title << "</h3>\n";
  out << "<table border='1'>\n"
      << "<tbody>\n<tr>\n";
  for (const char* header : headers) WriteHeaderCell(out, header);
  out << "</tr>\n";
}

void WriteTableEnd(std::ostream& out) {
  out << "</table><br><br>";
  EndLine(out);
}

void WriteQueryRow(std::ostream& out, const QueryRecord& query) {
  out << "<tr>";
  WriteAlignedCell(out, GeneralSeconds(query.durationMs), true);
  WriteAlignedCell(out, Decimal(query.rowCount), true);
  WriteAlignedCell(out, EscapeMarkup(query.queryText), false);
  out << "</tr>";
  EndLine(out);
}

}  // namespace

void TraceSummary::writeHtmlReport() {
  int64_t elapsed = elapsedMillis(startTimestamp, endTimestamp);
  std::ostream& out = *reportStream;

  out << "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\n"
      << "<html><head><title>Palvero Profiler - DMCL Trace Report</title>\n";
  out << "<body class='profiler' bgcolor='#e8e8e8' link='#0000ff' text='#000000' "
         "vlink='#ff0000'>\n";
  out << "<h2>" << BANNER << "</h2>\n\n";
  out << "<small><strong>\n"
      << "<br><br>\n";
  out << "Start Date " << EscapeMarkup(startTimestamp) << "<br>\n";
  out << "Elapsed time " << GeneralSeconds(static_cast<double>(elapsed)) << "secs<br>\n";
  out << "</strong></small>\n\t<hr>\n\t<p>\n<small>\n";
  out << "<a href='#TOPAPI'>[Top API Calls]</a>\n"
      << "<a href='#APISUMMARY'>[API Summary]</a>\n"
      << "<a href='#TOPQUERY'>[Top Queries]</a>\n"
      << "<a href='#QUERYSUMMARY'>[Query Summary]</a>\n";
  out << "</small>\n</p><p>\n";

  prepareApiSummary();
  WriteTableStart(out, "APISUMMARY", "API Call Summary",
                  {"API Call", "Duration<br>secs", "Frequency"});
  for (auto row = apiSummaryList.rbegin(); row != apiSummaryList.rend(); ++row) {
    out << "<tr>";
    WriteAlignedCell(out, EscapeMarkup(row->apiName), false);
    WriteAlignedCell(out, GeneralSeconds(row->durationMs), true);
    WriteAlignedCell(out, Decimal(row->frequency), true);
    out << "</tr>";
    endLine();
  }
  WriteTableEnd(out);

  WriteTableStart(out, "TOPAPI", "Top 10 API Calls", {"Duration<br>secs", "API Text"});
  for (auto entry = topCalls.rbegin(); entry != topCalls.rend(); ++entry) {
    out << "<tr>";
    WriteAlignedCell(out, GeneralSeconds(entry->durationMs), true);
    WriteAlignedCell(out, EscapeMarkup(entry->callText), false);
    out << "</tr>";
    endLine();
  }
  WriteTableEnd(out);

  appendOpenQueries();
  prepareTopQueries();
  WriteTableStart(out, "TOPQUERY", "Top Queries", {"Duration<br>secs", "Rows", "Query Text"});
  for (auto query = topQueries.rbegin(); query != topQueries.rend(); ++query) {
    WriteQueryRow(out, *query);
  }
  WriteTableEnd(out);
  WriteTableStart(out, "QUERYSUMMARY", "Query Summary", {"Duration<br>secs", "Rows", "Query Text"});
  for (const QueryRecord& query : completedQueries) WriteQueryRow(out, query);
  WriteTableEnd(out);

  out << "</body>\n</html>";
  out.flush();
}

}  // namespace quintrel
