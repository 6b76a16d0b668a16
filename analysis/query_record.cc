#include "analysis/query_record.h"

#include <limits>

namespace quintrel {

std::string_view QueryApiName(QueryApi api) {
  for (const QueryApiSyntax& syntax : kQueryApis) {
    if (syntax.api == api) return syntax.name;
  }
  return "";
}

void QueryRecord::addFetch(int64_t fetchMs) {
  durationMs += static_cast<double>(fetchMs);
  if (rowCount < std::numeric_limits<int32_t>::max()) ++rowCount;
}

}  // namespace quintrel
