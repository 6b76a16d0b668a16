#include "parse/trace_grammar.h"

#include "parse/header_scanner.h"

namespace quintrel {

bool ExtractThreadId(std::string_view line, std::string_view* id) {
  // The thread marker read by hand: the marker, digits, " ]".
  if (!StartsWithThreadMarker(line)) return false;
  size_t end = line.find_first_not_of("0123456789", kThreadMarker.size());
  if (end == kThreadMarker.size() || end == std::string_view::npos) return false;
  if (end - kThreadMarker.size() > kMaxHeaderField) return false;
  if (line.compare(end, 2, " ]") != 0) return false;
  *id = line.substr(kThreadMarker.size(), end - kThreadMarker.size());
  return true;
}

int64_t CallDurationMillis(std::string_view seconds, std::string_view fraction) {
  return 1000 * static_cast<int64_t>(ReadTraceNumber(seconds)) + ReadTraceNumber(fraction);
}

}  // namespace quintrel
