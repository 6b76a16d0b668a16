// The regular-expression reading of a trace line that the header scanner is
// checked against: the header pattern and the keyword patterns of
// trace_patterns.h, applied the way its pattern reader applies them, and Boost.Regex's partial
// matching to tell whether the beginning of a line already decides. Shared by the unit tests and
// the fuzz target; owns nothing.
#ifndef QUINTREL_TESTS_SUPPORT_PATTERN_READING_H_
#define QUINTREL_TESTS_SUPPORT_PATTERN_READING_H_

#include <string>
#include <string_view>

#include "parse/trace_line.h"

namespace quintrel_test {

// What the patterns say of the whole line `line`: for a header line its kind,
// the groups of the header pattern and the entry text (the text group of the
// API or result pattern, the entry after "SET> " or "Server RPC: ", else the
// entry); for any other line only kind kContinuation. Views into `line`.
quintrel::TraceLine ReadWithPatterns(std::string_view line);

// Whether every line that begins with `prefix` gets the same kind from the
// patterns, whatever bytes follow it.
bool PatternsDecide(std::string_view prefix);

// Checks the header scanner on `line` against the patterns: the whole line,
// field by field, and every beginning of it given with `complete` false,
// which must be kNeedMore exactly while PatternsDecide says no and otherwise
// agree with the whole line. With `everyCut` it asks PatternsDecide at each
// length, otherwise it finds the first deciding length by bisection (the
// lengths that decide are all those from some length on). Returns an empty
// string, or what differed.
std::string ScannerMismatch(std::string_view line, bool everyCut);

}  // namespace quintrel_test

#endif  // QUINTREL_TESTS_SUPPORT_PATTERN_READING_H_
