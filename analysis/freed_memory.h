// FreedMemory: how the analysis hands memory it has freed back to the
// system, where the allocator would keep it for a reuse that never comes
// (the chunks of a class table released while its rows are made in one
// large block elsewhere). How that is done differs by system, so the
// program sets the way once, at its start, before any thread runs; until
// then Return() does nothing.
#ifndef QUINTREL_ANALYSIS_FREED_MEMORY_H_
#define QUINTREL_ANALYSIS_FREED_MEMORY_H_

namespace quintrel {

class FreedMemory {
 public:
  static void SetWay(void (*returnFreed)());
  static void Return();

 private:
  static void (*way_)();
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_FREED_MEMORY_H_
