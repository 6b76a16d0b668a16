// TraceCall: one call of one traced thread, from its API line to the lines
// after its result, as the line processor assembles it and hands it on.
//
// The record owns copies of everything it holds. The processor keeps one per
// thread and reuses it for the thread's next call, so the raw-line storage
// keeps its capacity across calls and recording lines does not allocate in
// the steady state.
#ifndef QUINTREL_PARSE_TRACE_CALL_H_
#define QUINTREL_PARSE_TRACE_CALL_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel {

enum CallState : int32_t {
  Idle = 0,           // no call open
  ApiSeen = 1,        // API line taken, result not yet seen
  ServerRpcSeen = 2,  // a server RPC line followed the API line
  ResultSeen = 3,     // result taken; still collects the lines that follow
  Delivered = 4,      // set just before the call is handed to the sink
};

class TraceCall {
 public:
  TraceCall() = default;
  TraceCall(const TraceCall& other);
  TraceCall& operator=(const TraceCall& other);
  virtual ~TraceCall() = default;

  // Appends a copy of `line` to the recorded raw lines.
  void appendLine(std::string_view line);
  // Back to Idle with empty values and no raw lines. The thread id stays, and
  // so does apiText: the thread's next API line replaces it before it is read.
  void reset();

  void setThreadId(std::string_view threadId) { threadId_.assign(threadId); }
  const std::string& getThreadId() const { return threadId_; }

  size_t rawLineCount() const { return rawLineCount_; }
  const std::string& rawLine(size_t index) const { return rawLines_[index]; }
  // All raw lines in order, each followed by "\n"; empty without raw lines.
  // Used by tests.
  std::string getRawText() const;

  // Extends apiText with the lines recorded after the API line, up to the
  // first one that begins with "# [ ", each followed by "\n". The first of
  // them is joined to the API text without a separator.
  void appendContinuationToApiText();

  CallState state = Idle;
  std::string timeStamp;
  int64_t durationMs = 0;
  int32_t resultRpcCount = 0;
  int32_t apiRpcCount = 0;
  std::string apiText;
  std::string resultText;

 private:
  std::string threadId_;
  // Only the first rawLineCount_ entries are recorded lines; the strings
  // after them are kept for their capacity.
  std::vector<std::string> rawLines_;
  size_t rawLineCount_ = 0;
};

}  // namespace quintrel

#endif  // QUINTREL_PARSE_TRACE_CALL_H_
