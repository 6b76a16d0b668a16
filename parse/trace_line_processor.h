// TraceLineProcessor: turns the lines of a trace into completed calls.
//
// It keeps one open TraceCall per traced thread with a call pending (and for
// the thread of the last header line), runs every line through the
// state machine of its thread's record and hands each completed call to its
// sink: at the thread's next API line, at a header line of another thread, or
// at finish(). It applies no filter. It owns its records, not the sink.
//
// A line arrives whole and classified already (processClassifiedLine) or,
// when it is too long to hold, in pieces (processPiece), which it classifies
// itself from the line's beginning; the rest goes to whatever the state
// machine keeps of it, or nowhere, so a line nothing keeps costs no memory
// however long it is.
#ifndef QUINTREL_PARSE_TRACE_LINE_PROCESSOR_H_
#define QUINTREL_PARSE_TRACE_LINE_PROCESSOR_H_

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "parse/text_buffer.h"
#include "parse/trace_call.h"
#include "parse/trace_call_sink.h"
#include "parse/trace_line.h"

namespace quintrel {

// What the records keep of the lines. Each receiver of the calls gets the
// same answers from the lean settings as from keeping everything; they only
// keep memory bounded when nothing reads what is left out.
struct RecordingPolicy {
  // Record every line the state machine records in the call's raw lines.
  bool rawLines = true;
  // Keep the text of API lines.
  bool apiText = true;
  // Keep the text of result lines.
  bool resultText = true;
  // Whether a call with this API line text collects the lines that continue
  // its API text into apiText as they arrive (TraceCall::appendContinuation);
  // null: none does.
  bool (*collectsContinuation)(std::string_view apiLineText) = nullptr;
  // Of an API line, and of the API text its continuation lines make, keep
  // no more than the first bytes, this many (npos: all), where no receiver
  // reads past them.
  size_t apiLineKept = std::string_view::npos;
  // Shortens the API text of a call whose continuation lines have made it
  // long, as its size reaches TraceCall::compactAt, keeping all that the
  // receivers read of it, and sets compactAt anew; null: none is shortened.
  void (*compactApiText)(TraceCall* call) = nullptr;
};

// A piece of a line: the whole line, or its beginning, middle or end.
struct LinePiece {
  std::string_view text;
  bool first = true;  // the line begins with this piece
  bool last = true;   // the line ends with this piece
};

class TraceLineProcessor {
 public:
  TraceLineProcessor() = default;
  ~TraceLineProcessor() = default;
  TraceLineProcessor(const TraceLineProcessor&) = delete;
  TraceLineProcessor& operator=(const TraceLineProcessor&) = delete;

  // The receiver of completed calls; not owned, may be null. Set it before
  // the first line.
  void setSink(TraceCallSink* sink) { sink_ = sink; }
  // Everything is kept unless set; set it before the first line.
  void setRecordingPolicy(const RecordingPolicy& policy) { policy_ = policy; }

  // Handles the next piece of a line; the pieces of a line arrive in order,
  // the first with `first`, the last with `last`.
  void processPiece(const LinePiece& piece);
  // Handles a whole line that a TraceLineClassifier has classified as
  // `parsed` (whose views point into `line`), elsewhere, perhaps on another
  // thread.
  void processClassifiedLine(std::string_view line, const TraceLine& parsed);
  // End of input: delivers the last completed call still held.
  void finish();
  // The header lines seen so far.
  uint64_t headerLines() const { return headerLines_; }
  // Gives up the line being processed after a failure (memory ran out) and
  // the memory of every call that is not complete; finish() then delivers
  // the last completed call.
  void abandonLine();

 private:
  // Where the rest of a line that arrives in pieces goes.
  struct LineTargets {
    bool raw = false;           // the call's raw lines
    bool apiText = false;       // the call's API text (the API line itself)
    bool continuation = false;  // the call's API text (a continuation line)
    bool resultText = false;    // the call's result text
  };

  // Forgets where the rest of the previous line went.
  void beginLine();
  void startLine(std::string_view text, bool complete);
  void classifyGathered(bool complete);
  void takeLine(std::string_view text, const TraceLine& parsed);
  void continueLine(std::string_view piece);
  void endLine();
  TraceCall& recordOf(std::string_view threadId);
  void switchThread(std::string_view threadId);
  void dispatchLine(std::string_view line, const TraceLine& parsed, TraceCall* call);
  void deliverCall(TraceCall* call);
  void takeApiLine(const TraceLine& parsed, TraceCall* call);
  void takeResultLine(const TraceLine& parsed, TraceCall* call);
  void recordLine(std::string_view line, TraceCall* call);
  void collectContinuation(std::string_view line, TraceCall* call);
  void extendContinuation(std::string_view piece, TraceCall* call);

  using Records = std::unordered_map<std::string, TraceCall>;
  Records calls_;  // the threads with a call pending, and the last thread
  std::vector<Records::node_type> spares_;
  std::string lastThreadId_;
  TraceCall* lastCall_ = nullptr;  // the record of lastThreadId_
  TraceCallSink* sink_ = nullptr;
  RecordingPolicy policy_;
  TraceLineClassifier classifier_;
  TraceLine parsed_;
  std::string key_;  // reused lookup key, so lookups do not allocate
  uint64_t headerLines_ = 0;

  // The line that is arriving in pieces.
  TraceCall* lineCall_ = nullptr;  // null: nothing keeps the rest of it
  LineTargets targets_;
  TextBuffer gathered_;     // its beginning, while too short to classify
  bool gathering_ = false;  // the beginning is being gathered
  size_t nextTry_ = 0;      // gathered size at which to classify again
  bool lineEnded_ = true;   // the last piece of the line has arrived
};

}  // namespace quintrel

#endif  // QUINTREL_PARSE_TRACE_LINE_PROCESSOR_H_
