// TraceCall: one call of one traced thread, from its API line to the lines
// after its result, as the line processor assembles it and hands it on.
//
// The record owns copies of everything it holds. The processor keeps one per
// thread and reuses it for the thread's next call, so its buffers keep their
// memory across calls and recording lines does not allocate in the steady
// state. A line may arrive in pieces; the texts grow by appending them.
#ifndef QUINTREL_PARSE_TRACE_CALL_H_
#define QUINTREL_PARSE_TRACE_CALL_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "parse/text_buffer.h"

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
  ~TraceCall() = default;

  // Records a copy of `line` as the call's next raw line. Further pieces of
  // the same line follow with appendToLastLine.
  void appendLine(std::string_view line);
  void appendToLastLine(std::string_view piece);
  // Back to Idle with empty values and no raw lines. The thread id stays.
  void reset();

  void setThreadId(std::string_view threadId) { threadId_.assign(threadId); }
  const std::string& getThreadId() const { return threadId_; }

  // All raw lines in order, each followed by "\n"; empty without raw lines.
  std::string_view rawText() const { return rawText_.view(); }
  // Used by tests.
  std::string getRawText() const { return std::string(rawText()); }

  // Sets apiText to the text of the call's API line; further pieces of that
  // line follow with appendToApiLine. Of a line longer than `kept` bytes only
  // its first `kept` are kept; its length is counted whole.
  void setApiLineText(std::string_view text, size_t kept = std::string_view::npos);
  void appendToApiLine(std::string_view piece, size_t kept = std::string_view::npos);
  // The API line's text alone (as far as it was kept), without the
  // continuation lines apiText may carry after it.
  std::string_view apiLineText() const { return apiText.view().substr(0, apiLineLength_); }
  // The length of the whole API line, kept or not.
  size_t apiLineSize() const { return apiLineSize_; }
  // Appends one continuation line of the API text and its "\n" (the first is
  // joined to the API line's text without a separator).
  void appendContinuation(std::string_view line);
  // Appends a piece of a continuation line, or its "\n", as far as the API
  // text stays within its first `kept` bytes.
  void appendToContinuation(std::string_view piece, size_t kept) {
    if (apiText.size() < kept) apiText.append(piece.substr(0, kept - apiText.size()));
  }
  // Extends apiText with the raw lines recorded after the API line, up to the
  // first one that begins with "# [ ", as appendContinuation would have.
  void appendContinuationToApiText();

  CallState state = Idle;
  std::string timeStamp;
  int64_t durationMs = 0;
  int32_t resultRpcCount = 0;
  int32_t apiRpcCount = 0;
  // The API line's text, possibly followed by continuation lines.
  TextBuffer apiText;
  TextBuffer resultText;
  // The line processor is collecting the lines that continue the API text.
  bool continuationOpen = false;
  // The size of apiText at which the line processor has it shortened next
  // (RecordingPolicy::compactApiText); 0 until the first continuation line.
  size_t compactAt = 0;

 private:
  std::string threadId_;
  TextBuffer rawText_;        // every raw line followed by "\n"
  size_t apiLineLength_ = 0;  // of the API line, as far as it is kept
  size_t apiLineSize_ = 0;    // of the whole API line
};

}  // namespace quintrel

#endif  // QUINTREL_PARSE_TRACE_CALL_H_
