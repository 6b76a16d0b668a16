// Query tracking: follows each query from its starting call through the
// fetch ("next") and "close" calls on its collection.
#include <boost/regex.hpp>

#include "analysis/trace_summary.h"

namespace quintrel {

namespace {

// The collection named by a result text: the text without its last
// character, the closing quote of the result line.
std::string_view CollectionOf(const std::string& resultText) {
  std::string_view text(resultText);
  return text.substr(0, text.empty() ? 0 : text.size() - 1);
}

const std::vector<boost::regex>& QueryPatterns() {
  // Tried in this order; group 2 of each is the query text.
  static const std::vector<boost::regex> patterns = {
      boost::regex("^query,(c|s[0-9]+),(.*)"),
      boost::regex("^cachequery,(c|s[0-9]+),(.*)"),
      boost::regex("^readquery,(c|s[0-9]+),(.*)"),
      boost::regex("^execquery,(c|s[0-9]+),[^,]*,(.*)"),
      boost::regex("^query_cmd,(c|s[0-9]+),[^,]*,[^,]*,[^,]*,[^,]*,[^,]*,[^,]*,(.*)"),
  };
  return patterns;
}

bool IsQueryStart(std::string_view name) {
  return name == "query" || name == "cachequery" || name == "readquery" || name == "query_cmd";
}

}  // namespace

void TraceSummary::trackQuery(TraceCall* call) {
  call->appendContinuationToApiText();
  std::string_view text(call->apiText);
  size_t p1 = text.find(',');
  size_t p2 = p1 == std::string_view::npos ? p1 : text.find(',', p1 + 1);
  std::string_view name = text.substr(0, p1);
  // Without a second comma the connection runs to the end of the text (the
  // length below is then larger than what is left); without any comma it is
  // the whole text.
  std::string_view connection =
      p1 == std::string_view::npos ? text : text.substr(p1 + 1, p2 - p1 - 1);

  if (IsQueryStart(name)) {
    QueryRecord record{std::string(name), extractQueryText(call->apiText),
                       static_cast<double>(call->durationMs), 0};
    openQuery(record, connection, CollectionOf(call->resultText));
  } else if (name == "execquery") {
    QueryRecord record{"execquery", extractQueryText(call->apiText),
                       static_cast<double>(call->durationMs), 0};
    pendingExecQueries[std::string(connection)] = std::move(record);
  } else if (name == "getlastcoll") {
    auto pending = pendingExecQueries.find(std::string(connection));
    if (pending != pendingExecQueries.end()) {
      openQuery(pending->second, connection, CollectionOf(call->resultText));
    }
  } else if (name == "next" || name == "close") {
    if (p1 != std::string_view::npos && p2 == std::string_view::npos) return;
    std::string_view rest = p2 == std::string_view::npos ? text : text.substr(p2 + 1);
    recordFetch(connection, rest.substr(0, rest.find(',')), call->durationMs);
  }
}

std::string TraceSummary::extractQueryText(const std::string& apiText) {
  boost::smatch match;
  for (const boost::regex& pattern : QueryPatterns()) {
    if (boost::regex_search(apiText, match, pattern)) return match[2].str();
  }
  return std::string();
}

void TraceSummary::openQuery(const QueryRecord& record, std::string_view connection,
                             std::string_view collection) {
  std::string key(connection);
  key += collection;
  auto open = openQueries.find(key);
  if (open != openQueries.end()) {
    completedQueries.push_back(open->second);
    open->second = record;
  } else {
    openQueries.emplace(std::move(key), record);
  }
}

void TraceSummary::recordFetch(std::string_view connection, std::string_view collection,
                               int64_t durationMs) {
  queryKey_.assign(connection);
  queryKey_ += collection;
  auto open = openQueries.find(queryKey_);
  if (open == openQueries.end()) return;
  open->second.durationMs += static_cast<double>(durationMs);
  open->second.rowCount += 1;
}

}  // namespace quintrel
