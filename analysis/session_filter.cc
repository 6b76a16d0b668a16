#include "analysis/session_filter.h"

#include "analysis/session_table.h"

namespace quintrel {

namespace {

bool Lists(const std::optional<NameSet>& names, std::string_view name) {
  return !names.has_value() || names->count(name) != 0;
}

}  // namespace

bool SessionFilter::accepts(const TraceCall& call) {
  std::string_view text = call.apiLineText();
  std::string_view opened = SessionOpenedBy(call);
  uint32_t slot = SessionSlotOf(opened.empty() ? SessionHandleOf(text) : opened);
  if (slot >= passes_.size()) passes_.resize(slot + 1, false);
  const std::string& thread = call.getThreadId();
  if (!opened.empty() && slot != kSessionSlotNone) {
    bool passes = opens(text);
    passes_[slot] = passes;
    auto found = threadPasses_.find(thread);
    if (found == threadPasses_.end()) {
      threadPasses_.emplace(thread, passes);
    } else {
      found->second = passes;
    }
    return passes;
  }
  if (slot == kSessionSlotC) {
    auto found = threadPasses_.find(thread);
    if (found != threadPasses_.end()) return found->second;
  }
  return passes_[slot];
}

bool SessionFilter::opens(std::string_view apiLineText) const {
  return Lists(repositories_, CallArgumentOf(apiLineText, 0)) &&
         Lists(users_, CallArgumentOf(apiLineText, 1));
}

}  // namespace quintrel
