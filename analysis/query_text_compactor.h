// QueryTextCompactor: shortens a long query text of which only the beginning
// and the class are read. It keeps the beginning byte for byte and writes, in
// place of the rest, a shorter text of the same class whatever follows it:
// for any `more`, QueryFingerprint(beginning + tail + more, glued) equals
// QueryFingerprint(text + more, glued). A text that arrives in pieces can so
// be shortened as it grows and held in memory that does not grow with it.
//
// Complete tokens are written as their class reads them ("?" for a value, one
// blank for a run of them); once the class is cut, nothing more is needed but
// a break for an IN list it was reading; an IN list still open keeps its
// values up to the cut and its last ones, enough to fold the same way whether
// it closes or breaks; a token still open at the end keeps what decides how
// it goes on. The tail ends with the text's line end, if it has one, so that
// a line that begins with the text that follows is found as before.
//
// It reads the text it is given, which must outlive it, and owns the tail it
// writes.
#ifndef QUINTREL_ANALYSIS_QUERY_TEXT_COMPACTOR_H_
#define QUINTREL_ANALYSIS_QUERY_TEXT_COMPACTOR_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace quintrel {

class TraceCall;

class QueryTextCompactor {
 public:
  // Of `text`, a query text whose join is at `glued` (npos: none, else before
  // `kept`), keeps the first `kept` bytes.
  QueryTextCompactor(std::string_view text, size_t glued, size_t kept);

  // What replaces the text past its first `kept` bytes.
  const std::string& tail();

  // The line processor's hook (RecordingPolicy::compactApiText) for the
  // reports that read of a query only its class and its first kMaxExample
  // bytes: shortens the API text of `call` past the API line, a MiB of
  // its continuation lines and the query's first kMaxExample bytes, and
  // sets when to do so again.
  static void CompactApiText(TraceCall* call);
  // The same, keeping at least `keptContinuation` bytes of the
  // continuation lines and `keptQuery` of the query text as they are.
  static void CompactApiText(TraceCall* call, size_t keptContinuation, size_t keptQuery);

 private:
  bool stableWord(size_t begin, size_t end) const;
  bool stableAt(size_t begin, size_t end) const;
  bool listRunsToEnd(size_t at);
  size_t tokenEnd(size_t at) const;
  size_t skipBlanks(size_t at) const;
  void writeToken(size_t begin, size_t end);
  void writeBlank(size_t at);
  void writeLiteral(size_t begin);
  void writeWord(size_t begin, size_t end);
  void writeClosedList(size_t begin);
  void writeOpenList(size_t in);
  void writeOther(char c);

  std::string_view text_;
  size_t glued_;
  size_t kept_;
  std::string class_;  // the class of the text read so far
  std::string tail_;
  bool afterBlank_;       // the last byte kept or written is a blank
  size_t lastComma_ = 0;  // of the IN list open at the end, its last comma
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_QUERY_TEXT_COMPACTOR_H_
