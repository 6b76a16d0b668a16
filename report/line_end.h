// The end of every line of a report or CSV record.
#ifndef QUINTREL_REPORT_LINE_END_H_
#define QUINTREL_REPORT_LINE_END_H_

#include <ostream>

namespace quintrel {

// Writes a line feed, then flushes the stream.
inline void EndLine(std::ostream& out) {
  out << '\n';
  out.flush();
}

}  // namespace quintrel

#endif  // QUINTREL_REPORT_LINE_END_H_
