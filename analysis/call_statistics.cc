#include "analysis/call_statistics.h"

#include <algorithm>
#include <utility>

#include "analysis/saturating_add.h"
#include "parse/text_buffer.h"
#include "parse/trace_grammar.h"

namespace quintrel {

void CallStatistics::add(TraceCall* call, bool mayTakeText) {
  if (startTimestamp_.empty()) startTimestamp_ = call->timeStamp;
  endTimestamp_ = call->timeStamp;
  SaturatingAdd(&totalCallMillis_, call->durationMs);

  if (keepsApiRows_) apiStatistics_.add(ApiNameOf(call->apiLineText()), call->durationMs);
  keepIfLong(call, mayTakeText);
}

void CallStatistics::keepIfLong(TraceCall* call, bool mayTakeText) {
  double duration = static_cast<double>(call->durationMs);
  // Checked before the entry is built, so that most calls copy nothing.
  if (!topCalls_.keeps(duration)) return;
  TopCallEntry entry{TextBuffer(), duration, call->getThreadId(), call->timeStamp};
  std::string_view text = call->apiLineText();
  if (mayTakeText && text.size() >= kLargeText && text.size() == call->apiText.size()) {
    entry.callText = std::move(call->apiText);
  } else {
    entry.callText.assign(text);
  }
  if (call->apiLineSize() > text.size()) entry.droppedBytes = call->apiLineSize() - text.size();
  topCalls_.add(std::move(entry));
}

void CallStatistics::moveInto(Profile* profile) {
  profile->startTimestamp = std::move(startTimestamp_);
  profile->endTimestamp = std::move(endTimestamp_);
  profile->totalCallMillis = totalCallMillis_;
  apiStatistics_.sort();
  profile->apiSummary = std::move(apiStatistics_);
  profile->topCalls = topCalls_.take();
  *this = CallStatistics(topCallLimit_, keepsApiRows_);
}

}  // namespace quintrel
