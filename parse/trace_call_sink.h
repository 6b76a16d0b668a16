// TraceCallSink: the receiver of the calls that the line processor completes,
// and of where the trace begins.
#ifndef QUINTREL_PARSE_TRACE_CALL_SINK_H_
#define QUINTREL_PARSE_TRACE_CALL_SINK_H_

#include <string_view>

namespace quintrel {

class TraceCall;

class TraceCallSink {
 public:
  virtual ~TraceCallSink() = default;
  // Receives a completed call (never null). The record is valid only while
  // onCall runs: the processor resets it right after, so a receiver copies
  // what it keeps. The receiver may change the record.
  virtual void onCall(TraceCall* call) = 0;
  // Receives the time stamp of the trace's first header line, before any
  // call; the view is valid only while onTraceStart runs.
  virtual void onTraceStart(std::string_view /*stamp*/) {}
};

}  // namespace quintrel

#endif  // QUINTREL_PARSE_TRACE_CALL_SINK_H_
