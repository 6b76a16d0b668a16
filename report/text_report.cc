#include "report/text_report.h"

#include "report/line_end.h"
#include "report/report_format.h"

namespace quintrel {

namespace {

// A section title, an empty line, the column heading and its dash line.
void WriteHeading(std::ostream& out, const char* title, const char* columns, const char* dashes) {
  out << title;
  EndLine(out);
  EndLine(out);
  out << columns;
  EndLine(out);
  out << dashes;
  EndLine(out);
}

// The two empty lines after a section.
void EndSection(std::ostream& out) {
  EndLine(out);
  EndLine(out);
}

void WriteTopCalls(const Profile& profile, std::ostream& out) {
  WriteHeading(out, "Top 10 api calls:", "Time       API",
               "--------   ---------------------------------");
  for (auto entry = profile.topCalls.rbegin(); entry != profile.topCalls.rend(); ++entry) {
    out << AlignRight(FixedSeconds(entry->durationMs), 8) << " - ";
    out.write(entry->callText.view().data(), entry->callText.size());
    EndLine(out);
  }
  EndSection(out);
}

void WriteApiSummary(const Profile& profile, std::ostream& out) {
  WriteHeading(out, "API call summary:", "API                     Freq    Duration",
               "------------------- -------- -----------");
  for (auto row = profile.apiSummary.rbegin(); row != profile.apiSummary.rend(); ++row) {
    out << AlignLeft(row->apiName, 20) << AlignRight(Decimal(row->frequency), 8)
        << AlignRight(FixedSeconds(row->durationMs), 12);
    EndLine(out);
  }
  EndSection(out);
}

void WriteQueries(const Profile& profile, std::ostream& out) {
  WriteHeading(out, "Query summary:", "Duration  Rows      Query",
               "--------- --------  -------------------------------------------");
  for (size_t i = 0; i < profile.queries.size(); ++i) {
    QueryView query = profile.queries.at(i);
    out << AlignLeft(FixedSeconds(query.durationMs), 10) << AlignLeft(Decimal(query.rowCount), 10);
    WriteAlignedRight(out, query.queryText, 47);
    EndLine(out);
  }
  EndSection(out);
}

void WriteTimeSplit(const Profile& profile, std::ostream& out) {
  out << "Time Split:";
  EndLine(out);
  out << "Start Time           : " << profile.startTimestamp;
  EndLine(out);
  out << "Total Trace duration : "
      << AlignRight(FixedSeconds(static_cast<double>(profile.timeSplit.elapsedMs)), 11);
  EndLine(out);
  out << "DMCL call duration   : "
      << AlignRight(FixedSeconds(static_cast<double>(profile.totalCallMillis)), 11);
  EndLine(out);
}

}  // namespace

void WriteTextReport(const Profile& profile, std::ostream& out) {
  out << "DMCL Trace Summary\n"
      << "==================\n\n";
  WriteTopCalls(profile, out);
  WriteApiSummary(profile, out);
  WriteQueries(profile, out);
  WriteTimeSplit(profile, out);
}

}  // namespace quintrel
