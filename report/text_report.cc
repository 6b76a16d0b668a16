// The TEXT summary report: top calls, per-API summary, queries, time split.
#include "analysis/trace_summary.h"
#include "report/elapsed_time.h"
#include "report/report_format.h"

namespace quintrel {

void TraceSummary::writeTextReport() {
  int64_t elapsed = elapsedMillis(startTimestamp, endTimestamp);
  std::ostream& out = *reportStream;

  out << "DMCL Trace Summary\n"
      << "==================\n\n";
  out << "Top 10 api calls:";
  endLine();
  endLine();
  out << "Time       API";
  endLine();
  out << "--------   ---------------------------------";
  endLine();
  for (auto entry = topCalls.rbegin(); entry != topCalls.rend(); ++entry) {
    out << AlignRight(FixedSeconds(entry->durationMs), 8) << " - " << entry->callText;
    endLine();
  }
  endLine();
  endLine();

  prepareApiSummary();
  out << "API call summary:";
  endLine();
  endLine();
  out << "API                     Freq    Duration";
  endLine();
  out << "------------------- -------- -----------";
  endLine();
  for (auto row = apiSummaryList.rbegin(); row != apiSummaryList.rend(); ++row) {
    out << AlignLeft(row->apiName, 20) << AlignRight(Decimal(row->frequency), 8)
        << AlignRight(FixedSeconds(row->durationMs), 12);
    endLine();
  }
  endLine();
  endLine();

  appendOpenQueries();
  out << "Query summary:";
  endLine();
  endLine();
  out << "Duration  Rows      Query";
  endLine();
  out << "--------- --------  -------------------------------------------";
  endLine();
  for (const QueryRecord& query : completedQueries) {
    out << AlignLeft(FixedSeconds(query.durationMs), 10) << AlignLeft(Decimal(query.rowCount), 10)
        << AlignRight(query.queryText, 47);
    endLine();
  }
  endLine();
  endLine();

  out << "Time Split:";
  endLine();
  out << "Start Time           : " << startTimestamp;
  endLine();
  out << "Total Trace duration : " << AlignRight(FixedSeconds(static_cast<double>(elapsed)), 11);
  endLine();
  out << "DMCL call duration   : "
      << AlignRight(FixedSeconds(static_cast<double>(totalCallMillis)), 11);
  endLine();
}

}  // namespace quintrel
