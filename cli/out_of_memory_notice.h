// OutOfMemoryNotice: what a run does when it runs out of memory while it
// reads its trace, made ready before it can happen, so that doing it takes
// no memory: it gives back a reserve of address space kept for the report
// of what was read, and writes "quintrel: out of memory at line N of NAME"
// to standard error with the line number formatted in place. It owns the
// reserve and the message's text.
#ifndef QUINTREL_CLI_OUT_OF_MEMORY_NOTICE_H_
#define QUINTREL_CLI_OUT_OF_MEMORY_NOTICE_H_

#include <cstdint>
#include <string>

namespace quintrel {

class OutOfMemoryNotice {
 public:
  OutOfMemoryNotice() = default;
  ~OutOfMemoryNotice();
  OutOfMemoryNotice(const OutOfMemoryNotice&) = delete;
  OutOfMemoryNotice& operator=(const OutOfMemoryNotice&) = delete;

  // Takes the reserve and formats the message for the trace `name`.
  void prepare(const std::string& name);
  // Gives the reserve back and writes the message for `line`; allocates
  // nothing. Call it from the handler of std::bad_alloc.
  void report(uint64_t line);
  // Gives the reserve back, for the report once the trace is read.
  void release();

 private:
  void* reserve_ = nullptr;
  std::string end_;  // " of NAME" and a line end
};

}  // namespace quintrel

#endif  // QUINTREL_CLI_OUT_OF_MEMORY_NOTICE_H_
