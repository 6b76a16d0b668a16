#include "report/version.h"

namespace quintrel {

// QUINTREL_VERSION comes from the build, which holds the one copy of it.
const char VERSION[] = QUINTREL_VERSION;
// QUINTREL_BUILD too: the system, the compiler and the trace readers.
const char BUILD[] = QUINTREL_BUILD;
const char BANNER[] = "Palvero Profiler v" QUINTREL_VERSION "\n\n";

}  // namespace quintrel
