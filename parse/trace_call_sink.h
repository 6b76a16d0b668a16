// TraceCallSink: the receiver of the calls that the line processor completes.
#ifndef QUINTREL_PARSE_TRACE_CALL_SINK_H_
#define QUINTREL_PARSE_TRACE_CALL_SINK_H_

namespace quintrel {

class TraceCall;

class TraceCallSink {
 public:
  virtual ~TraceCallSink() = default;
  // Receives a completed call (never null). The record is valid only while
  // onCall runs: the processor resets it right after, so a receiver copies
  // what it keeps. The receiver may change the record.
  virtual void onCall(TraceCall* call) = 0;
};

}  // namespace quintrel

#endif  // QUINTREL_PARSE_TRACE_CALL_SINK_H_
