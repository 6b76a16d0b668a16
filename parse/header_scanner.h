// ScanHeader: recognises a trace header line by hand, one byte at a time. It
// accepts exactly the lines that the header pattern of the trace grammar
// matches at their first byte and gives the same fields, at a small part of
// the cost of the regular-expression search (the tests hold the pattern). It can also
// judge the beginning of a line whose rest has not been read yet. It owns
// nothing: the fields it fills are views into the text it was given.
#ifndef QUINTREL_PARSE_HEADER_SCANNER_H_
#define QUINTREL_PARSE_HEADER_SCANNER_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace quintrel {

struct TraceLine;

// The longest run of digits or word characters a header field may have (a
// thread id, a word of the stamp, a number): a line with a longer one is
// not a header, however it goes on, and streams past like any other. The
// header pattern says the same with "{1,256}" where a run stands.
constexpr size_t kMaxHeaderField = 256;

enum class ScanResult {
  kHeader,     // a header line; its fields and kind are filled in
  kNotHeader,  // not a header line, whatever follows the text
  kNeedMore,   // the text is a beginning that does not decide yet
};

// Scans `text` for a header line. With `complete` true, `text` is the whole
// line (without its terminator) and the result is kHeader or kNotHeader. With
// `complete` false, `text` is only the beginning of the line, which goes on
// with zero or more bytes not given; the result is kNeedMore exactly when
// those bytes could still change whether the line is a header or, for a
// header, its kind. For kHeader, `out` holds what the whole line would give,
// except that `entry` and `entryText` end where `text` ends. For any other
// result only `out->kind` is set, to kContinuation.
ScanResult ScanHeader(std::string_view text, bool complete, TraceLine* out);

// The beginning of the last header line ScanHeaderLine read in full, up to
// the sub-second number of its stamp: consecutive header lines mostly share
// it (the same thread within the same second).
struct HeaderPrefix {
  std::string bytes;  // empty: none yet
  size_t threadBegin = 0, threadLength = 0, stampBegin = 0;
};

// ScanHeader of a whole line, which does not read again what `prefix` holds
// when the line begins with it, and keeps the beginning of a header line it
// reads in full in `prefix`.
ScanResult ScanHeaderLine(std::string_view line, HeaderPrefix* prefix, TraceLine* out);

// The byte classes of the header pattern, as Boost.Regex's default traits
// give them in the program's locale (the classic "C" locale: the program
// never changes it): "\d", "\w" and "[[:space:]]".
bool IsPatternDigit(unsigned char c);
bool IsPatternWord(unsigned char c);
bool IsPatternSpace(unsigned char c);

}  // namespace quintrel

#endif  // QUINTREL_PARSE_HEADER_SCANNER_H_
