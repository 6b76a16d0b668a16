#include "report/html_report.h"

#include <initializer_list>
#include <vector>

#include "report/line_end.h"
#include "report/markup_escape.h"
#include "report/report_format.h"
#include "report/version.h"

namespace quintrel {

namespace {

void WriteHeaderCell(std::ostream& out, std::string_view text) {
  out << "<th scope='col' bgcolor='#cccc99'><b><font color='#336699' face='SANSSERIF' size='2'>"
      << text << "</font></b></th>\n";
}

// A cell of a number, right-aligned, or of a trace text, left-aligned and
// escaped.
void WriteAlignedCell(std::ostream& out, std::string_view text, bool alignRight) {
  out << "<td bgcolor='#f7f7e7' align='" << (alignRight ? "right" : "left")
      << "'><font face='SANSSERIF' size='2'>";
  if (alignRight) {
    out << text;
  } else {
    WriteMarkup(out, text);
  }
  out << "</font></td>\n";
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

void WriteRowEnd(std::ostream& out) {
  out << "</tr>";
  EndLine(out);
}

void WriteHead(const Profile& profile, std::ostream& out) {
  out << "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\n"
      << "<html><head><title>Palvero Profiler - DMCL Trace Report</title>\n";
  out << "<body class='profiler' bgcolor='#e8e8e8' link='#0000ff' text='#000000' "
         "vlink='#ff0000'>\n";
  out << "<h2>" << BANNER << "</h2>\n\n";
  out << "<small><strong>\n"
      << "<br><br>\n";
  out << "Start Date ";
  WriteMarkup(out, profile.startTimestamp);
  out << "<br>\n";
  out << "Elapsed time " << GeneralSeconds(static_cast<double>(profile.timeSplit.elapsedMs))
      << "secs<br>\n";
  out << "</strong></small>\n\t<hr>\n\t<p>\n<small>\n";
  out << "<a href='#TOPAPI'>[Top API Calls]</a>\n"
      << "<a href='#APISUMMARY'>[API Summary]</a>\n"
      << "<a href='#TOPQUERY'>[Top Queries]</a>\n"
      << "<a href='#QUERYSUMMARY'>[Query Summary]</a>\n";
  out << "</small>\n</p><p>\n";
}

void WriteApiSummary(const Profile& profile, std::ostream& out) {
  WriteTableStart(out, "APISUMMARY", "API Call Summary",
                  {"API Call", "Duration<br>secs", "Frequency"});
  for (auto row = profile.apiSummary.rbegin(); row != profile.apiSummary.rend(); ++row) {
    out << "<tr>";
    WriteAlignedCell(out, row->apiName, false);
    WriteAlignedCell(out, GeneralSeconds(row->durationMs), true);
    WriteAlignedCell(out, Decimal(row->frequency), true);
    WriteRowEnd(out);
  }
  WriteTableEnd(out);
}

void WriteTopCalls(const Profile& profile, std::ostream& out) {
  WriteTableStart(out, "TOPAPI", "Top 10 API Calls", {"Duration<br>secs", "API Text"});
  for (auto entry = profile.topCalls.rbegin(); entry != profile.topCalls.rend(); ++entry) {
    out << "<tr>";
    WriteAlignedCell(out, GeneralSeconds(entry->durationMs), true);
    WriteAlignedCell(out, entry->callText.view(), false);
    WriteRowEnd(out);
  }
  WriteTableEnd(out);
}

void WriteQueryRow(std::ostream& out, const QueryView& query) {
  out << "<tr>";
  WriteAlignedCell(out, GeneralSeconds(query.durationMs), true);
  WriteAlignedCell(out, Decimal(query.rowCount), true);
  WriteAlignedCell(out, query.queryText, false);
  WriteRowEnd(out);
}

void WriteQueryTables(const Profile& profile, std::ostream& out) {
  const std::initializer_list<const char*> kHeaders = {"Duration<br>secs", "Rows", "Query Text"};
  WriteTableStart(out, "TOPQUERY", "Top Queries", kHeaders);
  for (auto index = profile.topQueries.rbegin(); index != profile.topQueries.rend(); ++index) {
    WriteQueryRow(out, profile.queries.at(*index));
  }
  WriteTableEnd(out);
  WriteTableStart(out, "QUERYSUMMARY", "Query Summary", kHeaders);
  for (size_t i = 0; i < profile.queries.size(); ++i) WriteQueryRow(out, profile.queries.at(i));
  WriteTableEnd(out);
}

}  // namespace

void WriteHtmlReport(const Profile& profile, std::ostream& out) {
  WriteHead(profile, out);
  WriteApiSummary(profile, out);
  WriteTopCalls(profile, out);
  WriteQueryTables(profile, out);
  out << "</body>\n</html>";
  out.flush();
}

}  // namespace quintrel
