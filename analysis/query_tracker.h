// QueryTracker: follows each query of a trace from its starting call through
// the fetch ("next") and "close" calls on its collection, and keeps every
// query it opened, for the report.
//
// A starting call ("query", "cachequery", "readquery", "query_cmd") opens a
// record under its key: the connection id followed by the collection its
// result names. An "execquery" waits, per connection, for the "getlastcoll"
// that names its collection. A later start under the same key completes the
// open record. The tracker owns its records and copies from each call what
// it keeps.
#ifndef QUINTREL_ANALYSIS_QUERY_TRACKER_H_
#define QUINTREL_ANALYSIS_QUERY_TRACKER_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/profile.h"
#include "parse/trace_call.h"

namespace quintrel {

class QueryTracker {
 public:
  // Takes an accepted call whose apiText carries its continuation lines
  // whenever MayTrack says they matter.
  void track(TraceCall* call);

  // Whether a call with this API line text may matter to query tracking, so
  // that its API text needs the lines that continue it.
  static bool MayTrack(std::string_view apiLineText);

  // The query text of a starting call's text: what follows the connection
  // (and the skipped fields of "execquery" and "query_cmd") to the end of the
  // text; "" when the text fits none of the query patterns.
  static std::string ExtractQueryText(std::string_view apiText);

  // Every query in report order, completed ones first, then the open ones in
  // key order; leaves the tracker empty.
  std::vector<QueryRecord> takeReportOrder();

  // Used by tests.
  const std::map<std::string, QueryRecord>& openQueries() const { return open_; }
  const std::vector<QueryRecord>& completedQueries() const { return completed_; }

 private:
  void openQuery(const QueryRecord& record, std::string_view connection,
                 std::string_view collection);
  void recordFetch(std::string_view connection, std::string_view collection, int64_t durationMs);

  std::map<std::string, QueryRecord> open_;
  std::vector<QueryRecord> completed_;
  // The last "execquery" of each connection, waiting for its collection.
  std::map<std::string, QueryRecord, std::less<>> pending_;
  std::string key_;  // reused while looking up a key
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_QUERY_TRACKER_H_
