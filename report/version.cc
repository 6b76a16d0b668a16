#include "report/version.h"

namespace quintrel {

// QUINTREL_VERSION comes from the build, which holds the one copy of it.
const char VERSION[] = QUINTREL_VERSION;
const char BANNER[] = "Palvero Profiler v" QUINTREL_VERSION "\n\n";

}  // namespace quintrel
