// The XML summary report: the sections of the TEXT report as elements.
#include "analysis/trace_summary.h"
#include "report/elapsed_time.h"
#include "report/markup_escape.h"
#include "report/report_format.h"

namespace quintrel {

void TraceSummary::writeXmlReport() {
  int64_t elapsed = elapsedMillis(startTimestamp, endTimestamp);
  std::ostream& out = *reportStream;

  out << "<?xml version='1.0' encoding='utf-8'?>";
  endLine();
  out << "<summary>\n";
  out << "<top_api_calls>";
  endLine();
  for (auto entry = topCalls.rbegin(); entry != topCalls.rend(); ++entry) {
    out << "<top_call><duration>" << GeneralSeconds(entry->durationMs) << "</duration><api_call>"
        << XmlText(entry->callText) << "</api_call></top_call>";
    endLine();
  }
  out << "</top_api_calls>";
  endLine();

  prepareApiSummary();
  out << "<api_call_summary>";
  endLine();
  for (auto row = apiSummaryList.rbegin(); row != apiSummaryList.rend(); ++row) {
    out << "<summary_call><summary_call_api>" << XmlText(row->apiName)
        << "</summary_call_api><summary_call_freq>" << row->frequency
        << "</summary_call_freq><summary_call_duration>" << GeneralSeconds(row->durationMs)
        << "</summary_call_duration></summary_call>";
    endLine();
  }
  out << "</api_call_summary>";
  endLine();

  appendOpenQueries();
  out << "<query_summary>";
  endLine();
  for (const QueryRecord& query : completedQueries) {
    out << "<query><query_duration>" << GeneralSeconds(query.durationMs)
        << "</query_duration><num_rows>" << query.rowCount << "</num_rows><query_text>"
        << XmlText(query.queryText) << "</query_text></query>";
    endLine();
  }
  out << "</query_summary>";
  endLine();

  out << "<time_split>";
  endLine();
  out << "<start_time>" << XmlText(startTimestamp) << "</start_time>";
  endLine();
  out << "<total_trace_duration>" << GeneralSeconds(static_cast<double>(elapsed))
      << "</total_trace_duration>";
  endLine();
  out << "<dmcl_call_duration>" << GeneralSeconds(static_cast<double>(totalCallMillis))
      << "</dmcl_call_duration>";
  endLine();
  out << "</time_split>";
  endLine();
  out << "</summary>\n";
  out.flush();
}

}  // namespace quintrel
