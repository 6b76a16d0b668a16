// CallFilter: decides which completed calls an analysis takes: those in the
// time window, of the selected threads, with rpc-only those during which the
// client's rpc counter rose, and with --match and --exclude those whose API
// text one pattern matches and the other does not, and with --users and
// --repositories those of the sessions their connect calls name (see
// SessionFilter). Shown every call in trace order, it owns the window's view
// of the trace's first date, the compiled patterns and the sessions' flags,
// and counts the calls it was shown and those it took.
#ifndef QUINTREL_ANALYSIS_CALL_FILTER_H_
#define QUINTREL_ANALYSIS_CALL_FILTER_H_

#include <cstdint>
#include <string_view>

#include "analysis/analysis_config.h"
#include "analysis/session_filter.h"
#include "analysis/text_pattern.h"
#include "parse/trace_call.h"

namespace quintrel {

class CallFilter {
 public:
  explicit CallFilter(const AnalysisConfig& config);

  // The stamp of the trace's first header line, before the first call.
  void setTraceStart(std::string_view stamp) { window_.setTraceStart(stamp); }

  bool accepts(const TraceCall& call) {
    ++shown_;
    // First: the session filter reads every call's connect, whatever the
    // other filters decide.
    if (sessions_.active() && !sessions_.accepts(call)) return false;
    if (window_.active() && !window_.accepts(call.timeStamp)) return false;
    if (!passesThreadFilter(call) || !passesRpcFilter(call)) return false;
    if (matches_ && !passesTextFilter(call)) return false;
    ++accepted_;
    return true;
  }

  // The calls shown to accepts() and those it accepted.
  uint64_t shown() const { return shown_; }
  uint64_t accepted() const { return accepted_; }

 private:
  bool passesThreadFilter(const TraceCall& call) const {
    return threads_.accepts(call.getThreadId());
  }
  // Strictly greater: the counter on the result line must exceed the one on
  // the API line.
  bool passesRpcFilter(const TraceCall& call) const {
    return !rpcOnly_ || call.resultRpcCount > call.apiRpcCount;
  }

  bool passesTextFilter(const TraceCall& call);

  ThreadSelection threads_;
  bool rpcOnly_;
  TimeWindow window_;
  bool matches_ = false;  // a text filter is in force
  bool hasMatch_ = false, hasExclude_ = false;
  TextPattern match_, exclude_;
  SessionFilter sessions_;
  uint64_t shown_ = 0;
  uint64_t accepted_ = 0;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_CALL_FILTER_H_
