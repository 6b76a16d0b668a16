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
// Where the records end in a QueryLog, the reports list them as they always
// have: a record stays its key's until the key starts again, so that the
// fetch and close calls on a closed collection still count to it in the log,
// and it is listed when its key starts again or, at the end, among the open
// ones in key order. The tracker then keeps of a closed query its key and
// its number in the log, and nothing else. The tracker owns the open and
// waiting records; it owns neither the sink nor the log.
#ifndef QUINTREL_ANALYSIS_QUERY_TRACKER_H_
#define QUINTREL_ANALYSIS_QUERY_TRACKER_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/query_log.h"
#include "analysis/query_record.h"
#include "parse/trace_call.h"

namespace quintrel {

class QueryTracker {
 public:
  // `sink` receives the completed records. `log`, where given, is where
  // they end, each one the sink receives and nothing else: the tracker adds
  // the fetches on closed collections to it and sets the order of its
  // records. Neither is owned; both must outlive the tracker.
  explicit QueryTracker(QueryRecordSink* sink, QueryLog* log = nullptr) : sink_(sink), log_(log) {}

  // Takes an accepted call whose apiText carries its continuation lines
  // whenever MayTrack says they matter. May take the call's API text, unless
  // long texts are kept in part.
  void track(TraceCall* call);
  // For a sink that reads of a query no more than its class and an example:
  // a record of a text of kLargeText or more then carries its first
  // kMaxExample bytes and its fingerprint, and the call keeps its text. Set
  // it before the first call.
  void keepLongTextsInPart() { partialTexts_ = true; }
  // End of the trace: hands every open record to the sink, in key order,
  // and gives the log its order.
  void finish();

  // What a call does to query tracking, by its API name:
  // starts a query, starts one that waits for its collection (execquery),
  // names that collection (getlastcoll), fetches from a query or closes it.
  enum class Role { kNone, kStart, kExecQuery, kGetLastColl, kFetch, kClose };
  static Role RoleOfName(std::string_view apiName);
  // The connection a call text names: its first argument, or the whole text
  // where it holds no comma. An execquery waits under it.
  static std::string_view ConnectionOf(std::string_view apiText) {
    size_t p1 = apiText.find(',');
    if (p1 == std::string_view::npos) return apiText;
    // Without a second comma the connection runs to the end of the text
    // (the length below is then larger than what is left).
    size_t p2 = apiText.find(',', p1 + 1);
    return apiText.substr(p1 + 1, p2 - p1 - 1);
  }

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
  // A fetch or close call on the key set last.
  void fetch(int64_t durationMs, bool closes);
  // Hands `record` to the sink; its number in the log.
  uint32_t complete(QueryRecord* record);

  QueryRecordSink* sink_;
  QueryLog* log_;
  std::map<std::string, QueryRecord> open_;
  // With a log: the number of the record each closed key completed, until
  // the key starts again.
  std::map<std::string, uint32_t> closed_;
  // With a log: the numbers of the records in the order the reports list
  // them, as far as it is decided.
  std::vector<uint32_t> reportOrder_;
  uint32_t completed_ = 0;  // the records handed to the sink
  // The last "execquery" of each connection, waiting for its collection.
  std::map<std::string, QueryRecord, std::less<>> pending_;
  std::string key_;  // the key set last
  bool partialTexts_ = false;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_QUERY_TRACKER_H_
