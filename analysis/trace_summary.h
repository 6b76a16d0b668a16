// TraceSummary: the receiver of every completed call of one analysis, and the
// object that writes its result.
//
// It applies the run's thread and rpc-only filters. In summary mode it keeps
// the statistics model (per-API totals, the ten most expensive calls, the
// queries, the first and last time stamps and the total call time) and, after
// the last line, one of its report writers turns the model into a TEXT, XML
// or HTML report. In detail mode it writes a RAW or CSV record per call as
// the call arrives. It copies what it keeps out of each call; it does not own
// the output stream.
#ifndef QUINTREL_ANALYSIS_TRACE_SUMMARY_H_
#define QUINTREL_ANALYSIS_TRACE_SUMMARY_H_

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "parse/trace_call.h"
#include "parse/trace_call_sink.h"

namespace quintrel {

// Per API name: the number of calls and their total duration.
struct ApiSummaryRow {
  int32_t frequency = 0;
  double durationMs = 0.0;
  std::string apiName;  // filled when the row is copied for a report

  bool operator<(const ApiSummaryRow& other) const { return durationMs < other.durationMs; }
};

// One of the most expensive calls.
struct TopCallEntry {
  std::string callText;
  double durationMs = 0.0;

  bool operator<(const TopCallEntry& other) const { return durationMs < other.durationMs; }
};

// One query: its starting call, text, time spent (start, fetches, closes) and
// the number of fetch and close calls.
struct QueryRecord {
  std::string apiName;
  std::string queryText;
  double durationMs = 0.0;
  int32_t rowCount = 0;

  bool operator<(const QueryRecord& other) const { return durationMs < other.durationMs; }
};

class TraceSummary : public TraceCallSink {
 public:
  // `reportStream` receives the detail records and the report; not owned, it
  // must outlive the summary. `threadSelection` "*" accepts every thread.
  TraceSummary(std::ostream* reportStream, std::string threadSelection, bool rpcOnly,
               std::string outputFormat, bool summaryMode);
  ~TraceSummary() override = default;
  TraceSummary(const TraceSummary&) = delete;
  TraceSummary& operator=(const TraceSummary&) = delete;

  // Filters the call, then aggregates it (summary mode) or writes its detail
  // record (detail mode). May extend the call's apiText.
  void onCall(TraceCall* call) override;

  bool passesThreadFilter(const TraceCall& call) const;
  bool passesRpcFilter(const TraceCall& call) const;

  // Report writers; call one of them once, after the last call.
  void writeTextReport();
  void writeXmlReport();
  void writeHtmlReport();

  // Report-time steps shared by the writers; each runs once per report.
  void prepareApiSummary();
  void appendOpenQueries();
  void prepareTopQueries();

  // Query tracking (summary mode).
  void trackQuery(TraceCall* call);
  static std::string extractQueryText(const std::string& apiText);
  void openQuery(const QueryRecord& record, std::string_view connection,
                 std::string_view collection);
  void recordFetch(std::string_view connection, std::string_view collection, int64_t durationMs);

  // Detail output.
  void writeRawRecord(const TraceCall& call);
  void writeCsvRow(const TraceCall& call);
  // Appends `text` to `out` with every double quote doubled.
  static void csvQuote(std::string_view text, std::string* out);

  // The statistics model, read by the report writers and by tests.
  const std::map<std::string, QueryRecord>& getOpenQueries() const { return openQueries; }
  const std::list<QueryRecord>& getCompletedQueries() const { return completedQueries; }
  const std::map<std::string, ApiSummaryRow, std::less<>>& getApiStatistics() const {
    return apiStatistics;
  }
  const std::vector<TopCallEntry>& getTopCalls() const { return topCalls; }
  const std::string& getEndTimestamp() const { return endTimestamp; }
  int64_t getTotalCallMillis() const { return totalCallMillis; }

 private:
  void collectStatistics(const TraceCall& call);
  void addApiStatistics(const TraceCall& call);
  void addTopCall(const TraceCall& call);
  // Writes "\n" and flushes: the end of every report line.
  void endLine();

  std::map<std::string, QueryRecord> openQueries;
  std::list<QueryRecord> completedQueries;
  bool summaryMode;
  std::ostream* reportStream;
  std::string threadSelection;
  bool rpcOnly;
  std::string outputFormat;
  std::string startTimestamp;
  std::string endTimestamp;
  int64_t totalCallMillis = 0;
  std::map<std::string, ApiSummaryRow, std::less<>> apiStatistics;
  std::vector<ApiSummaryRow> apiSummaryList;
  // Ascending by duration, at most ten entries.
  std::vector<TopCallEntry> topCalls;
  std::map<std::string, QueryRecord> pendingExecQueries;
  // Ascending by duration, at most twenty entries; filled for the HTML page.
  std::vector<QueryRecord> topQueries;
  std::string queryKey_;    // reused while tracking queries
  std::string detailLine_;  // reused for each CSV record
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_TRACE_SUMMARY_H_
