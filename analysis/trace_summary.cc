#include "analysis/trace_summary.h"

#include <algorithm>
#include <utility>

#include "report/report_format.h"

namespace quintrel {

namespace {

const size_t kTopCallCount = 10;

// The API name: the text before the first comma, or the whole text.
std::string_view ApiName(std::string_view apiText) { return apiText.substr(0, apiText.find(',')); }

}  // namespace

TraceSummary::TraceSummary(std::ostream* reportStream, std::string threadSelection, bool rpcOnly,
                           std::string outputFormat, bool summaryMode)
    : summaryMode(summaryMode),
      reportStream(reportStream),
      threadSelection(std::move(threadSelection)),
      rpcOnly(rpcOnly),
      outputFormat(std::move(outputFormat)) {}

void TraceSummary::onCall(TraceCall* call) {
  if (!passesThreadFilter(*call) || !passesRpcFilter(*call)) return;
  if (summaryMode) {
    // Statistics first: they take the API name and call text of the API line
    // alone, before trackQuery appends the continuation lines.
    collectStatistics(*call);
    trackQuery(call);
  } else if (outputFormat == "RAW") {
    writeRawRecord(*call);
  } else if (outputFormat == "CSV") {
    writeCsvRow(*call);
  }
}

bool TraceSummary::passesThreadFilter(const TraceCall& call) const {
  return threadSelection == "*" || call.getThreadId() == threadSelection;
}

bool TraceSummary::passesRpcFilter(const TraceCall& call) const {
  return !rpcOnly || call.resultRpcCount > call.apiRpcCount;
}

void TraceSummary::collectStatistics(const TraceCall& call) {
  if (startTimestamp.empty()) startTimestamp = call.timeStamp;
  endTimestamp = call.timeStamp;
  totalCallMillis += call.durationMs;
  addApiStatistics(call);
  addTopCall(call);
}

void TraceSummary::addApiStatistics(const TraceCall& call) {
  std::string_view name = ApiName(call.apiText);
  auto row = apiStatistics.find(name);
  if (row == apiStatistics.end()) row = apiStatistics.emplace(name, ApiSummaryRow()).first;
  row->second.frequency += 1;
  row->second.durationMs += static_cast<double>(call.durationMs);
}

void TraceSummary::addTopCall(const TraceCall& call) {
  // Equivalent to appending, sorting stably and dropping the first entries
  // beyond ten: the new entry goes after every entry of equal or smaller
  // duration, so among equals the earlier call is dropped first.
  double duration = static_cast<double>(call.durationMs);
  if (topCalls.size() == kTopCallCount && duration < topCalls.front().durationMs) return;
  auto position = std::upper_bound(
      topCalls.begin(), topCalls.end(), duration,
      [](double value, const TopCallEntry& entry) { return value < entry.durationMs; });
  topCalls.insert(position, TopCallEntry{call.apiText, duration});
  if (topCalls.size() > kTopCallCount) topCalls.erase(topCalls.begin());
}

void TraceSummary::prepareApiSummary() {
  for (const auto& [name, row] : apiStatistics) {
    apiSummaryList.push_back(row);
    apiSummaryList.back().apiName = name;
  }
  std::stable_sort(apiSummaryList.begin(), apiSummaryList.end());
}

void TraceSummary::appendOpenQueries() {
  for (const auto& entry : openQueries) completedQueries.push_back(entry.second);
}

void TraceSummary::prepareTopQueries() {
  const size_t kTopQueryCount = 20;
  for (const QueryRecord& record : completedQueries) {
    // A record smaller than the smallest of a full list would be dropped
    // again at once; skipping it saves copying it.
    if (topQueries.size() == kTopQueryCount && record.durationMs < topQueries.front().durationMs) {
      continue;
    }
    auto position = std::upper_bound(
        topQueries.begin(), topQueries.end(), record.durationMs,
        [](double value, const QueryRecord& entry) { return value < entry.durationMs; });
    topQueries.insert(position, record);
    if (topQueries.size() > kTopQueryCount) topQueries.erase(topQueries.begin());
  }
}

void TraceSummary::endLine() { EndLine(*reportStream); }

}  // namespace quintrel
