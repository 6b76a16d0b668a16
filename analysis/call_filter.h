// CallFilter: decides which completed calls an analysis takes: those in the
// time window, of the selected threads and, with rpc-only, those during which
// the client's rpc counter rose. Shown every call in trace order, it owns the
// window's view of the trace's first date.
#ifndef QUINTREL_ANALYSIS_CALL_FILTER_H_
#define QUINTREL_ANALYSIS_CALL_FILTER_H_

#include "analysis/analysis_config.h"
#include "parse/trace_call.h"

namespace quintrel {

class CallFilter {
 public:
  explicit CallFilter(const AnalysisConfig& config)
      : threads_(config.threads), rpcOnly_(config.rpcOnly), window_(config.window) {}

  bool accepts(const TraceCall& call) {
    if (window_.active() && !window_.accepts(call.timeStamp)) return false;
    return passesThreadFilter(call) && passesRpcFilter(call);
  }

 private:
  bool passesThreadFilter(const TraceCall& call) const {
    return threads_.accepts(call.getThreadId());
  }
  // Strictly greater: the counter on the result line must exceed the one on
  // the API line.
  bool passesRpcFilter(const TraceCall& call) const {
    return !rpcOnly_ || call.resultRpcCount > call.apiRpcCount;
  }

  ThreadSelection threads_;
  bool rpcOnly_;
  TimeWindow window_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_CALL_FILTER_H_
