#include "analysis/query_tracker.h"

#include <boost/regex.hpp>
#include <utility>

#include "analysis/call_statistics.h"

namespace quintrel {

namespace {

// The collection named by a result text: the text without its last
// character, the closing quote of the result line.
std::string_view CollectionOf(std::string_view resultText) {
  return resultText.substr(0, resultText.empty() ? 0 : resultText.size() - 1);
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

// Every API name query tracking looks at.
const std::string_view kTrackedNames[] = {"query",       "cachequery", "readquery", "query_cmd",
                                          "execquery",   "getlastcoll", "next",     "close"};

}  // namespace

void QueryTracker::track(TraceCall* call) {
  std::string_view text = call->apiText.view();
  size_t p1 = text.find(',');
  size_t p2 = p1 == std::string_view::npos ? p1 : text.find(',', p1 + 1);
  std::string_view name = ApiNameOf(text);
  // Without a second comma the connection runs to the end of the text (the
  // length below is then larger than what is left); without any comma it is
  // the whole text.
  std::string_view connection =
      p1 == std::string_view::npos ? text : text.substr(p1 + 1, p2 - p1 - 1);
  double duration = static_cast<double>(call->durationMs);

  if (IsQueryStart(name)) {
    openQuery(QueryRecord{std::string(name), ExtractQueryText(text), duration, 0}, connection,
              CollectionOf(call->resultText.view()));
  } else if (name == "execquery") {
    QueryRecord record{"execquery", ExtractQueryText(text), duration, 0};
    auto pending = pending_.find(connection);
    if (pending == pending_.end()) {
      pending_.emplace(connection, std::move(record));
    } else {
      pending->second = std::move(record);  // the earlier one is lost
    }
  } else if (name == "getlastcoll") {
    auto pending = pending_.find(connection);
    if (pending != pending_.end()) {
      openQuery(pending->second, connection, CollectionOf(call->resultText.view()));
    }
  } else if (name == "next" || name == "close") {
    if (p1 != std::string_view::npos && p2 == std::string_view::npos) return;
    std::string_view rest = p2 == std::string_view::npos ? text : text.substr(p2 + 1);
    recordFetch(connection, rest.substr(0, rest.find(',')), call->durationMs);
  }
}

bool QueryTracker::MayTrack(std::string_view apiLineText) {
  size_t comma = apiLineText.find(',');
  for (std::string_view name : kTrackedNames) {
    // Without a comma on the API line its continuation lines may still
    // complete the name.
    if (comma == std::string_view::npos ? name.substr(0, apiLineText.size()) == apiLineText
                                        : apiLineText.substr(0, comma) == name) {
      return true;
    }
  }
  return false;
}

std::string QueryTracker::ExtractQueryText(std::string_view apiText) {
  boost::cmatch match;
  const char* begin = apiText.data();
  const char* end = begin + apiText.size();
  for (const boost::regex& pattern : QueryPatterns()) {
    if (boost::regex_search(begin, end, match, pattern)) {
      return std::string(match[2].first, match[2].second);
    }
  }
  return std::string();
}

std::vector<QueryRecord> QueryTracker::takeReportOrder() {
  std::vector<QueryRecord> order = std::move(completed_);
  order.reserve(order.size() + open_.size());
  for (auto& entry : open_) order.push_back(std::move(entry.second));
  *this = QueryTracker();
  return order;
}

void QueryTracker::openQuery(const QueryRecord& record, std::string_view connection,
                             std::string_view collection) {
  std::string key(connection);
  key += collection;
  auto open = open_.find(key);
  if (open != open_.end()) {
    completed_.push_back(std::move(open->second));
    open->second = record;
  } else {
    open_.emplace(std::move(key), record);
  }
}

void QueryTracker::recordFetch(std::string_view connection, std::string_view collection,
                               int64_t durationMs) {
  key_.assign(connection);
  key_ += collection;
  auto open = open_.find(key_);
  if (open == open_.end()) return;
  open->second.durationMs += static_cast<double>(durationMs);
  open->second.rowCount += 1;
}

}  // namespace quintrel
