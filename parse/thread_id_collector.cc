#include "parse/thread_id_collector.h"

#include <algorithm>

#include "parse/header_scanner.h"
#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

// Whether `text`, the beginning of a line, may still become a thread marker:
// a beginning of "# [ ", at most kMaxHeaderField digits and " ]", so that
// what is gathered stays short. Its first `checked` bytes passed this test
// before, so only the rest is looked at, and the last of them again: a blank
// there was taken for the one before "]".
bool MayBecomeThreadMarker(std::string_view text, size_t checked) {
  if (!StartsWithThreadMarker(text)) return kThreadMarker.substr(0, text.size()) == text;
  size_t from = std::max(checked, kThreadMarker.size());
  if (from > kThreadMarker.size()) --from;
  size_t end = text.find_first_not_of("0123456789", from);
  if (std::min(end, text.size()) - kThreadMarker.size() > kMaxHeaderField) return false;
  if (end == std::string_view::npos) return true;
  return end + 1 == text.size() && end > kThreadMarker.size() && text[end] == ' ';
}

}  // namespace

void ThreadIdCollector::take(const LinePiece& piece) {
  if (piece.first) gathering_ = decided_ = false;
  if (decided_) return;
  std::string_view text = piece.text;
  size_t checked = 0;
  if (gathering_) {
    checked = beginning_.size();
    beginning_.append(piece.text);
    text = beginning_.view();
  }
  if (!piece.last && MayBecomeThreadMarker(text, checked)) {
    if (!gathering_) beginning_.assign(text);
    gathering_ = true;
    return;
  }
  decided_ = true;
  std::string_view id;
  if (ExtractThreadId(text, &id) && ids_.count(id) == 0) ids_.emplace(id);
}

}  // namespace quintrel
