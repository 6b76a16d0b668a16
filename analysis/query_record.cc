#include "analysis/query_record.h"

#include <limits>

namespace quintrel {

std::string_view QueryApiName(QueryApi api) {
  for (const QueryApiSyntax& syntax : kQueryApis) {
    if (syntax.api == api) return syntax.name;
  }
  return "";
}

void AddFetch(int64_t fetchMs, double* durationMs, int32_t* rowCount) {
  *durationMs += static_cast<double>(fetchMs);
  if (*rowCount < std::numeric_limits<int32_t>::max()) ++*rowCount;
}

}  // namespace quintrel
