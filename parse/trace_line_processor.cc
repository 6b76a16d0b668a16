#include "parse/trace_line_processor.h"

#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

void TakeApiLine(const TraceLine& parsed, TraceCall* call) {
  call->apiRpcCount = ReadTraceNumber(parsed.rpcCount);
  call->timeStamp.assign(parsed.timeStamp);
  call->apiText.assign(parsed.entryText);
}

void TakeResultLine(const TraceLine& parsed, TraceCall* call) {
  call->resultText.assign(parsed.entryText);
  call->durationMs = CallDurationMillis(parsed.seconds, parsed.fraction);
  call->resultRpcCount = ReadTraceNumber(parsed.rpcCount);
}

}  // namespace

void TraceLineProcessor::processLine(std::string_view line) {
  if (classifier_.classify(line, &parsed_)) {
    if (parsed_.threadId != lastThreadId_) {
      switchThread(parsed_.threadId);
      lastCall_ = &recordOf(parsed_.threadId);
      lastThreadId_.assign(parsed_.threadId);
    }
  } else if (lastCall_ == nullptr) {
    return;  // a continuation line before the first header line
  }
  dispatchLine(line, parsed_, lastCall_);
}

void TraceLineProcessor::finish() { switchThread(std::string_view()); }

TraceCall& TraceLineProcessor::recordOf(std::string_view threadId) {
  key_.assign(threadId);
  auto found = calls_.find(key_);
  if (found != calls_.end()) return found->second;
  TraceCall& call = calls_[key_];
  call.setThreadId(threadId);
  return call;
}

void TraceLineProcessor::switchThread(std::string_view threadId) {
  if (lastCall_ == nullptr || threadId == lastThreadId_) return;
  if (lastCall_->state == ResultSeen) deliverCall(lastCall_);
}

void TraceLineProcessor::deliverCall(TraceCall* call) {
  call->state = Delivered;
  if (sink_ != nullptr) sink_->onCall(call);
  call->reset();
}

void TraceLineProcessor::recordLine(std::string_view line, TraceCall* call) {
  switch (policy_) {
    case RawLinePolicy::kAll:
      call->appendLine(line);
      return;
    case RawLinePolicy::kNone:
      return;
    case RawLinePolicy::kApiContinuations: {
      // The continuation text ends at the first recorded line after the API
      // line that begins with a thread marker; nothing after it is read.
      size_t count = call->rawLineCount();
      if (count >= 2 && call->rawLine(count - 1).compare(0, 4, "# [ ") == 0) return;
      call->appendLine(line);
      return;
    }
  }
}

void TraceLineProcessor::dispatchLine(std::string_view line, const TraceLine& parsed,
                                      TraceCall* call) {
  switch (call->state) {
    case Idle:
      if (parsed.kind == LineKind::kApi) {
        TakeApiLine(parsed, call);
        recordLine(line, call);
        call->state = ApiSeen;
      }
      return;
    case ApiSeen:
      recordLine(line, call);
      if (parsed.kind == LineKind::kResult) {
        TakeResultLine(parsed, call);
        call->state = ResultSeen;
      } else if (parsed.kind == LineKind::kServerRpc) {
        call->state = ServerRpcSeen;
      }
      return;
    case ServerRpcSeen:
      // Lines of this state are not recorded.
      if (parsed.kind == LineKind::kResult) {
        TakeResultLine(parsed, call);
        call->state = ResultSeen;
      }
      return;
    case ResultSeen:
      if (parsed.kind == LineKind::kApi) {
        deliverCall(call);
        TakeApiLine(parsed, call);
        call->state = ApiSeen;
      }
      recordLine(line, call);
      return;
    case Delivered:
      return;
  }
}

bool TraceLineProcessor::isApiLine(std::string_view line) {
  return SearchAtLineStart(line, ApiLinePattern(), &match_);
}

void TraceLineProcessor::parseApiLine(std::string_view line, TraceCall* call) {
  if (!SearchAtLineStart(line, ApiCallPattern(), &match_)) return;
  call->apiRpcCount = ReadTraceNumber(Capture(match_, 2));
  call->timeStamp.assign(Capture(match_, 1));
  call->apiText.assign(Capture(match_, 3));
}

bool TraceLineProcessor::parseResultLine(std::string_view line, TraceCall* call) {
  if (!SearchAtLineStart(line, ResultPattern(), &match_)) return false;
  call->resultText.assign(Capture(match_, 4));
  call->durationMs = CallDurationMillis(Capture(match_, 1), Capture(match_, 2));
  call->resultRpcCount = ReadTraceNumber(Capture(match_, 3));
  return true;
}

bool TraceLineProcessor::isSetLine(std::string_view line) {
  return SearchAtLineStart(line, SetPattern(), &match_);
}

bool TraceLineProcessor::isServerRpcLine(std::string_view line) {
  return SearchAtLineStart(line, ServerRpcPattern(), &match_);
}

}  // namespace quintrel
