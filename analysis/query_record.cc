#include "analysis/query_record.h"

#include <limits>

namespace quintrel {

std::string_view QueryApiName(QueryApi api) {
  switch (api) {
    case QueryApi::kQuery:
      return "query";
    case QueryApi::kCacheQuery:
      return "cachequery";
    case QueryApi::kReadQuery:
      return "readquery";
    case QueryApi::kQueryCmd:
      return "query_cmd";
    case QueryApi::kExecQuery:
      return "execquery";
  }
  return "";
}

void QueryRecord::addFetch(int64_t fetchMs) {
  durationMs += static_cast<double>(fetchMs);
  if (rowCount < std::numeric_limits<int32_t>::max()) ++rowCount;
}

}  // namespace quintrel
