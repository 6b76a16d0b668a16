// TraceLineProcessor: turns the lines of a trace into completed calls.
//
// It keeps one open TraceCall per traced thread, runs every line through the
// state machine of its thread's record and hands each completed call to its
// sink: at the thread's next API line, at a header line of another thread, or
// at finish(). It applies no filter. It owns its records, not the sink.
#ifndef QUINTREL_PARSE_TRACE_LINE_PROCESSOR_H_
#define QUINTREL_PARSE_TRACE_LINE_PROCESSOR_H_

#include <boost/regex.hpp>
#include <string>
#include <string_view>
#include <unordered_map>

#include "parse/trace_call.h"
#include "parse/trace_call_sink.h"
#include "parse/trace_line.h"

namespace quintrel {

// Which lines a call records in its raw lines. Every output is the same under
// each policy for the receiver it is meant for; the lean ones only keep an
// open call's memory bounded when nothing reads the lines.
enum class RawLinePolicy {
  kAll,               // every line the state machine records (RAW listing)
  kApiContinuations,  // only what appendContinuationToApiText reads (summary)
  kNone,              // no raw lines at all (CSV listing)
};

class TraceLineProcessor {
 public:
  TraceLineProcessor() = default;
  virtual ~TraceLineProcessor() = default;
  TraceLineProcessor(const TraceLineProcessor&) = delete;
  TraceLineProcessor& operator=(const TraceLineProcessor&) = delete;

  // The receiver of completed calls; not owned, may be null. Set it before
  // the first line.
  void setSink(TraceCallSink* sink) { sink_ = sink; }
  // kAll unless set; set it before the first line.
  void setRawLinePolicy(RawLinePolicy policy) { policy_ = policy; }

  // Handles one line of the trace, given without its line terminator. The
  // view need not outlive the call.
  void processLine(std::string_view line);
  // End of input: delivers the last completed call still held.
  void finish();

  // The line patterns applied as written, one search each. The state machine
  // gets the same answers from a single search per line; these are the
  // reference it is tested against.
  // Used by tests.
  bool isApiLine(std::string_view line);
  void parseApiLine(std::string_view line, TraceCall* call);
  bool parseResultLine(std::string_view line, TraceCall* call);
  bool isSetLine(std::string_view line);
  bool isServerRpcLine(std::string_view line);

 private:
  TraceCall& recordOf(std::string_view threadId);
  void switchThread(std::string_view threadId);
  void dispatchLine(std::string_view line, const TraceLine& parsed, TraceCall* call);
  void deliverCall(TraceCall* call);
  void recordLine(std::string_view line, TraceCall* call);

  std::unordered_map<std::string, TraceCall> calls_;
  std::string lastThreadId_;
  TraceCall* lastCall_ = nullptr;  // the record of lastThreadId_
  TraceCallSink* sink_ = nullptr;
  RawLinePolicy policy_ = RawLinePolicy::kAll;
  TraceLineClassifier classifier_;
  TraceLine parsed_;
  boost::cmatch match_;
  std::string key_;  // reused lookup key, so lookups do not allocate
};

}  // namespace quintrel

#endif  // QUINTREL_PARSE_TRACE_LINE_PROCESSOR_H_
