// ThreadIdCollector: gathers the distinct thread ids of a trace, for the
// list of threads a run shows before it asks for one. It takes the lines or
// pieces of lines of the trace in order and keeps the id of every line that
// begins with a thread marker. Of a line that arrives in pieces it holds the
// beginning only while that may still become a thread marker. It owns the
// ids it keeps.
#ifndef QUINTREL_PARSE_THREAD_ID_COLLECTOR_H_
#define QUINTREL_PARSE_THREAD_ID_COLLECTOR_H_

#include <functional>
#include <set>
#include <string>

#include "parse/text_buffer.h"
#include "parse/trace_line_processor.h"

namespace quintrel {

class ThreadIdCollector {
 public:
  // Takes the next line or piece of a line; the view need not outlive the
  // call.
  void take(const LinePiece& piece);
  // The ids seen so far, in byte-wise order.
  const std::set<std::string, std::less<>>& ids() const { return ids_; }

 private:
  std::set<std::string, std::less<>> ids_;
  TextBuffer beginning_;    // of a line that may still become a thread marker
  bool gathering_ = false;  // beginning_ holds the line's pieces so far
  bool decided_ = false;    // the rest of the line cannot change the answer
};

}  // namespace quintrel

#endif  // QUINTREL_PARSE_THREAD_ID_COLLECTOR_H_
