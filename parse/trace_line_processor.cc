#include "parse/trace_line_processor.h"

#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

// Records of threads with nothing pending kept for reuse.
const size_t kSpareRecords = 4;

// Thread ids are a few digits: compared byte by byte, without a call.
bool SameId(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace

void TraceLineProcessor::processPiece(const LinePiece& piece) {
  if (piece.first) {
    startLine(piece.text, piece.last);
  } else {
    continueLine(piece.text);
  }
  if (piece.last) endLine();
}

void TraceLineProcessor::finish() {
  if (!lineEnded_) endLine();
  switchThread(std::string_view());
}

void TraceLineProcessor::abandonLine() {
  gathering_ = false;
  gathered_.clear();
  lineCall_ = nullptr;
  lineEnded_ = true;
  for (auto& [threadId, call] : calls_) {
    if (call.state == ResultSeen) continue;
    call.reset();
    call.apiText.clear();
  }
}

void TraceLineProcessor::beginLine() {
  lineEnded_ = false;
  lineCall_ = nullptr;
  targets_ = LineTargets();
}

void TraceLineProcessor::startLine(std::string_view text, bool complete) {
  beginLine();
  ScanResult scan = classifier_.classify(text, complete, &parsed_);
  if (scan == ScanResult::kNeedMore) {
    // A header longer than a piece: gather its beginning until it decides.
    // A line that begins like a header but has a huge field is held whole
    // until then.
    gathering_ = true;
    gathered_.assign(text);
    nextTry_ = 2 * text.size();
    return;
  }
  takeLine(text, parsed_);
}

void TraceLineProcessor::classifyGathered(bool complete) {
  if (classifier_.classify(gathered_.view(), complete, &parsed_) == ScanResult::kNeedMore) {
    nextTry_ = 2 * gathered_.size();
    return;
  }
  gathering_ = false;
  takeLine(gathered_.view(), parsed_);
  gathered_ = TextBuffer();  // gives back what a long beginning took
}

void TraceLineProcessor::processClassifiedLine(std::string_view line, const TraceLine& parsed) {
  beginLine();
  takeLine(line, parsed);
  endLine();
}

void TraceLineProcessor::takeLine(std::string_view text, const TraceLine& parsed) {
  if (parsed.kind != LineKind::kContinuation) {
    if (headerLines_++ == 0 && sink_ != nullptr) sink_->onTraceStart(parsed.timeStamp);
    if (!SameId(parsed.threadId, lastThreadId_)) {
      switchThread(parsed.threadId);
      lastCall_ = &recordOf(parsed.threadId);
      lastThreadId_.assign(parsed.threadId);
    }
  } else if (lastCall_ == nullptr) {
    return;  // a continuation line before the first header line
  }
  dispatchLine(text, parsed, lastCall_);
}

void TraceLineProcessor::continueLine(std::string_view piece) {
  if (gathering_) {
    gathered_.append(piece);
    // Classifying again only when the beginning has doubled keeps the work
    // linear in its length.
    if (gathered_.size() >= nextTry_) classifyGathered(false);
    return;
  }
  if (lineCall_ == nullptr) return;
  if (targets_.raw) lineCall_->appendToLastLine(piece);
  if (targets_.apiText) lineCall_->appendToApiLine(piece, policy_.apiLineKept);
  if (targets_.continuation) extendContinuation(piece, lineCall_);
  if (targets_.resultText) lineCall_->resultText.append(piece);
}

void TraceLineProcessor::endLine() {
  if (gathering_) classifyGathered(true);  // the whole line is known now
  if (lineCall_ != nullptr && targets_.continuation) {
    extendContinuation("\n", lineCall_);
  }
  // Whether the lines after an API line continue its text is decided on the
  // whole line: its first piece alone may look like the start of a query name.
  if (lineCall_ != nullptr && targets_.apiText) {
    lineCall_->continuationOpen = policy_.collectsContinuation != nullptr &&
                                  policy_.collectsContinuation(lineCall_->apiLineText());
  }
  lineCall_ = nullptr;
  lineEnded_ = true;
}

TraceCall& TraceLineProcessor::recordOf(std::string_view threadId) {
  key_.assign(threadId);
  auto found = calls_.find(key_);
  if (found != calls_.end()) return found->second;
  if (spares_.empty()) {
    TraceCall& call = calls_[key_];
    call.setThreadId(threadId);
    return call;
  }
  Records::node_type record = std::move(spares_.back());
  spares_.pop_back();
  record.key().assign(threadId);
  record.mapped().setThreadId(threadId);
  return calls_.insert(std::move(record)).position->second;
}

void TraceLineProcessor::switchThread(std::string_view threadId) {
  if (lastCall_ == nullptr || SameId(threadId, lastThreadId_)) return;
  if (lastCall_->state == ResultSeen) deliverCall(lastCall_);
  if (lastCall_->state != Idle) return;
  // Nothing is pending for the thread: its record goes, kept as a spare so
  // that switching threads allocates nothing.
  Records::node_type record = calls_.extract(lastThreadId_);
  if (spares_.size() < kSpareRecords) spares_.push_back(std::move(record));
  lastCall_ = nullptr;
}

void TraceLineProcessor::deliverCall(TraceCall* call) {
  call->state = Delivered;
  if (sink_ != nullptr) sink_->onCall(call);
  call->reset();
}

void TraceLineProcessor::takeApiLine(const TraceLine& parsed, TraceCall* call) {
  call->apiRpcCount = ReadTraceNumber(parsed.rpcCount);
  call->timeStamp.assign(parsed.timeStamp);
  if (!policy_.apiText) return;
  call->setApiLineText(parsed.entryText, policy_.apiLineKept);
  lineCall_ = call;
  targets_.apiText = true;
}

void TraceLineProcessor::takeResultLine(const TraceLine& parsed, TraceCall* call) {
  if (policy_.resultText) {
    call->resultText.assign(parsed.entryText);
    lineCall_ = call;
    targets_.resultText = true;
  }
  call->durationMs = CallDurationMillis(parsed.seconds, parsed.fraction);
  call->resultRpcCount = ReadTraceNumber(parsed.rpcCount);
}

void TraceLineProcessor::recordLine(std::string_view line, TraceCall* call) {
  if (!policy_.rawLines) return;
  call->appendLine(line);
  lineCall_ = call;
  targets_.raw = true;
}

void TraceLineProcessor::collectContinuation(std::string_view line, TraceCall* call) {
  if (!call->continuationOpen) return;
  // The API text's continuation ends at the first line with a thread marker.
  if (StartsWithThreadMarker(line)) {
    call->continuationOpen = false;
    return;
  }
  extendContinuation(line, call);
  lineCall_ = call;
  targets_.continuation = true;
}

void TraceLineProcessor::extendContinuation(std::string_view piece, TraceCall* call) {
  call->appendToContinuation(piece, policy_.apiLineKept);
  if (policy_.compactApiText != nullptr && call->apiText.size() >= call->compactAt) {
    policy_.compactApiText(call);
  }
}

void TraceLineProcessor::dispatchLine(std::string_view line, const TraceLine& parsed,
                                      TraceCall* call) {
  switch (call->state) {
    case Idle:
      if (parsed.kind == LineKind::kApi) {
        takeApiLine(parsed, call);
        recordLine(line, call);
        call->state = ApiSeen;
      }
      return;
    case ApiSeen:
      recordLine(line, call);
      collectContinuation(line, call);
      if (parsed.kind == LineKind::kResult) {
        takeResultLine(parsed, call);
        call->state = ResultSeen;
      } else if (parsed.kind == LineKind::kServerRpc) {
        call->state = ServerRpcSeen;
      }
      return;
    case ServerRpcSeen:
      // Lines of this state are not recorded.
      if (parsed.kind == LineKind::kResult) {
        takeResultLine(parsed, call);
        call->state = ResultSeen;
      }
      return;
    case ResultSeen:
      if (parsed.kind == LineKind::kApi) {
        deliverCall(call);
        takeApiLine(parsed, call);
        call->state = ApiSeen;
      }
      recordLine(line, call);
      return;
    case Delivered:
      return;
  }
}

}  // namespace quintrel
