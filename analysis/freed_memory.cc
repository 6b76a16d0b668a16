#include "analysis/freed_memory.h"

namespace quintrel {

void (*FreedMemory::way_)() = nullptr;

void FreedMemory::SetWay(void (*returnFreed)()) { way_ = returnFreed; }

void FreedMemory::Return() {
  if (way_ != nullptr) way_();
}

}  // namespace quintrel
