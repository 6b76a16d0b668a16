// QueryTracker: follows each query of a trace from its starting call through
// the fetch ("next") and "close" calls on its collection.
//
// A starting call (one of kQueryApis, execquery aside) opens a record under
// its key: the connection id followed by the collection its
// result names. An "execquery" waits, per connection, for the "getlastcoll"
// that names its collection. A "close" of the collection, or a later start
// under the same key, completes the open record, and it goes to the sink at
// once; at the end of the trace the open ones follow in key order.
//
// The reports list the queries in the order the key's next start or the end
// of the trace decides: a record completed by a start is listed then, one
// completed by its close when its key starts again, or at the end among the
// open ones. Where asked, the tracker keeps that order as the numbers of the
// records in the order the sink received them, and a closed key's number
// until its key starts again: nothing else of a closed query stays. The
// tracker owns the open and waiting records; it does not own the sink.
#ifndef QUINTREL_ANALYSIS_QUERY_TRACKER_H_
#define QUINTREL_ANALYSIS_QUERY_TRACKER_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/query_record.h"
#include "parse/trace_call.h"

namespace quintrel {

class QueryTracker {
 public:
  // `sink` receives the completed records; not owned, it must outlive the
  // tracker. With `keepsReportOrder` the tracker keeps the order the reports
  // list the records in.
  explicit QueryTracker(QueryRecordSink* sink, bool keepsReportOrder = false)
      : sink_(sink), keepsReportOrder_(keepsReportOrder) {}

  // Takes an accepted call whose apiText carries its continuation lines
  // whenever MayTrack says they matter. May take the call's API text.
  void track(TraceCall* call);
  // End of the trace: hands every open record to the sink, in key order.
  void finish();
  // After finish(), with keepsReportOrder: the numbers of the records, 0 for
  // the first the sink received, in the order the reports list them. Leaves
  // the tracker's order empty.
  std::vector<uint32_t> takeReportOrder() { return std::move(reportOrder_); }

  // Whether a call with this API line text may matter to query tracking, so
  // that its API text needs the lines that continue it.
  static bool MayTrack(std::string_view apiLineText);
  // Where the query text begins in a starting call's text: after the
  // connection (and the skipped fields of "execquery" and "query_cmd"); it
  // runs to the end of the text. npos when the text fits none of the query
  // patterns.
  static size_t QueryTextStart(std::string_view apiText);
  // The same for a text of several lines: each query API's prefix is looked
  // for at the start of every line (after a line feed, carriage return or
  // form feed) before the next API's, as the query patterns of the trace
  // grammar search for it.
  static size_t QueryTextStartAtLines(std::string_view apiText);

  // Used by tests.
  const std::map<std::string, QueryRecord>& openQueries() const { return open_; }

 private:
  QueryRecord startRecord(QueryApi api, TraceCall* call);
  // The key of a query: its connection followed by its collection.
  void setKey(std::string_view connection, std::string_view collection);
  // Opens `record` under the key set last, completing the record open there.
  void openQuery(QueryRecord record);
  // A close of the key set last: completes the record open there.
  void closeQuery(int64_t closeMs);
  // Hands `record` to the sink; the number the sink knows it by.
  uint32_t complete(QueryRecord* record);

  QueryRecordSink* sink_;
  bool keepsReportOrder_;
  std::map<std::string, QueryRecord> open_;
  // With keepsReportOrder: the number of the record each closed key
  // completed last, until the key starts again.
  std::map<std::string, uint32_t> closed_;
  std::vector<uint32_t> reportOrder_;
  uint32_t completed_ = 0;  // the records handed to the sink
  // The last "execquery" of each connection, waiting for its collection.
  std::map<std::string, QueryRecord, std::less<>> pending_;
  std::string key_;  // the key set last
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_QUERY_TRACKER_H_
