#include "report/xml_report.h"

#include "report/line_end.h"
#include "report/markup_escape.h"
#include "report/report_format.h"

namespace quintrel {

namespace {

// An element on a line of its own, then a line end.
void WriteLine(std::ostream& out, const char* text) {
  out << text;
  EndLine(out);
}

void WriteTopCalls(const Profile& profile, std::ostream& out) {
  WriteLine(out, "<top_api_calls>");
  for (auto entry = profile.topCalls.rbegin(); entry != profile.topCalls.rend(); ++entry) {
    out << "<top_call><duration>" << GeneralSeconds(entry->durationMs) << "</duration><api_call>";
    WriteXmlText(out, entry->callText.view());
    out << "</api_call></top_call>";
    EndLine(out);
  }
  WriteLine(out, "</top_api_calls>");
}

void WriteApiSummary(const Profile& profile, std::ostream& out) {
  WriteLine(out, "<api_call_summary>");
  for (auto row = profile.apiSummary.rbegin(); row != profile.apiSummary.rend(); ++row) {
    out << "<summary_call><summary_call_api>";
    WriteXmlText(out, row->apiName);
    out << "</summary_call_api><summary_call_freq>" << row->frequency
        << "</summary_call_freq><summary_call_duration>" << GeneralSeconds(row->durationMs)
        << "</summary_call_duration></summary_call>";
    EndLine(out);
  }
  WriteLine(out, "</api_call_summary>");
}

void WriteQueries(const Profile& profile, std::ostream& out) {
  WriteLine(out, "<query_summary>");
  for (size_t i = 0; i < profile.queries.size(); ++i) {
    QueryView query = profile.queries.at(i);
    out << "<query><query_duration>" << GeneralSeconds(query.durationMs)
        << "</query_duration><num_rows>" << query.rowCount << "</num_rows><query_text>";
    WriteXmlText(out, query.queryText);
    out << "</query_text></query>";
    EndLine(out);
  }
  WriteLine(out, "</query_summary>");
}

void WriteTimeSplit(const Profile& profile, std::ostream& out) {
  WriteLine(out, "<time_split>");
  out << "<start_time>";
  WriteXmlText(out, profile.startTimestamp);
  out << "</start_time>";
  EndLine(out);
  out << "<total_trace_duration>"
      << GeneralSeconds(static_cast<double>(profile.timeSplit.elapsedMs))
      << "</total_trace_duration>";
  EndLine(out);
  out << "<dmcl_call_duration>" << GeneralSeconds(static_cast<double>(profile.totalCallMillis))
      << "</dmcl_call_duration>";
  EndLine(out);
  WriteLine(out, "</time_split>");
}

}  // namespace

void WriteXmlReport(const Profile& profile, std::ostream& out) {
  WriteLine(out, "<?xml version='1.0' encoding='utf-8'?>");
  out << "<summary>\n";
  WriteTopCalls(profile, out);
  WriteApiSummary(profile, out);
  WriteQueries(profile, out);
  WriteTimeSplit(profile, out);
  out << "</summary>\n";
  out.flush();
}

}  // namespace quintrel
