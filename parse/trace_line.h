// TraceLine: what the header of a trace line tells about it, and
// TraceLineClassifier, which reads that with the header scanner.
//
// The line processor needs, per line, its kind and the values of its header.
// Because the header up to the entry can match a line in one way only, one
// scan of the header gives exactly what the seven line patterns would give
// when applied one by one: an API line is a header line whose entry begins
// with "API> ", a result line one whose entry begins with "Res: '", and so on.
#ifndef QUINTREL_PARSE_TRACE_LINE_H_
#define QUINTREL_PARSE_TRACE_LINE_H_

#include <string_view>

#include "parse/header_scanner.h"

namespace quintrel {

enum class LineKind {
  kContinuation,  // no header: continues the entry above it
  kApi,           // entry begins with "API> "
  kResult,        // entry begins with "Res: '"
  kSet,           // entry begins with "SET> "
  kServerRpc,     // entry begins with "Server RPC: "
  kOtherHeader,   // any other entry
};

// The parts of a classified line. The views point into the line that was
// classified and are valid only as long as it is; for a continuation line
// only `kind` is set.
struct TraceLine {
  LineKind kind = LineKind::kContinuation;
  std::string_view threadId;
  std::string_view timeStamp;
  std::string_view seconds;
  std::string_view fraction;
  std::string_view rpcCount;
  std::string_view entry;
  // The entry after its keyword: the API text of an API line, the result text
  // of a result line (after the opening quote).
  std::string_view entryText;
};

// Sets `line->kind` and `line->entryText` from `line->entry`, the entry of a
// header line, and returns true. With `complete` false the entry may go on
// past its end; then it returns false, changing nothing, while the bytes
// still to come could decide the kind either way.
bool ClassifyEntry(bool complete, TraceLine* line);

// Classifies lines with the header scanner. It keeps the beginning of the
// last header line, which the next one mostly shares; not thread-safe.
class TraceLineClassifier {
 public:
  // Fills `out` for `line` and returns true for a header line; returns false,
  // with `out->kind` set to kContinuation, for any other line.
  bool classify(std::string_view line, TraceLine* out);
  // The same for `text`, the beginning of a line when not `complete`: the
  // kind and fields are those of the whole line, `entry` and `entryText`
  // cover what `text` holds of them. kNeedMore only when not `complete`.
  ScanResult classify(std::string_view text, bool complete, TraceLine* out);

 private:
  HeaderPrefix prefix_;  // of the last header line read in full
};

}  // namespace quintrel

#endif  // QUINTREL_PARSE_TRACE_LINE_H_
