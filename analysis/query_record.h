// QueryRecord: one query of a trace: the API name of the call that started
// it, its text, the time spent on it (the start, every fetch and close) and
// the number of fetch and close calls. QueryRecordSink receives the records
// query tracking completes.
#ifndef QUINTREL_ANALYSIS_QUERY_RECORD_H_
#define QUINTREL_ANALYSIS_QUERY_RECORD_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "parse/text_buffer.h"

namespace quintrel {

// The API names that start a query.
enum class QueryApi : uint8_t { kQuery, kCacheQuery, kReadQuery, kQueryCmd, kExecQuery };

// How a call that starts a query is written: its API name, then the
// connection ("c" or "s" and digits), then `skippedFields` fields, then the
// query text, all separated by commas.
struct QueryApiSyntax {
  QueryApi api;
  std::string_view name;
  int skippedFields;
};

// Every API that starts a query, in the order their texts are tried: the one
// list of their names.
constexpr QueryApiSyntax kQueryApis[] = {
    {QueryApi::kQuery, "query", 0},         {QueryApi::kCacheQuery, "cachequery", 0},
    {QueryApi::kReadQuery, "readquery", 0}, {QueryApi::kExecQuery, "execquery", 1},
    {QueryApi::kQueryCmd, "query_cmd", 6},
};

std::string_view QueryApiName(QueryApi api);

// Counts one fetch or close call of `fetchMs` to a query's time and rows.
void AddFetch(int64_t fetchMs, double* durationMs, int32_t* rowCount);

struct QueryRecord {
  QueryApi api = QueryApi::kQuery;
  TextBuffer queryText;
  // In place of queryText, a large text that several records share: the
  // queries one execquery call opens (QueryTracker), which hold it once.
  std::shared_ptr<const TextBuffer> sharedText;
  // Where queryText joins the API line and the first line that continued it
  // in the trace without the line break between them, as the reports print
  // it; classes read a blank there. npos when the text has no such join.
  size_t gluedAt = std::string_view::npos;
  double durationMs = 0.0;
  int32_t rowCount = 0;    // stays at its largest value once there
  std::string threadId;    // of the starting call
  std::string startStamp;  // the time stamp of the starting call
  // Where queryText holds only the beginning of a long text
  // (QueryTracker::keepLongTextsInPart): the class of the whole text, as
  // QueryFingerprint gives it; empty otherwise.
  std::string fingerprint;

  void addFetch(int64_t fetchMs) { AddFetch(fetchMs, &durationMs, &rowCount); }
  std::string_view text() const {
    return sharedText != nullptr ? sharedText->view() : queryText.view();
  }
};

// A query as the reports read it; the texts belong to whoever stores it.
struct QueryView {
  std::string_view apiName;
  std::string_view queryText;
  double durationMs = 0.0;
  int32_t rowCount = 0;
};

class QueryRecordSink {
 public:
  virtual ~QueryRecordSink() = default;
  // Receives a query that is complete: its collection was opened again, or
  // the trace ended. The receiver may take the record's text, or share it.
  virtual void onQueryRecord(QueryRecord* record) = 0;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_QUERY_RECORD_H_
