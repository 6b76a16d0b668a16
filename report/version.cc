#include "report/version.h"

namespace quintrel {

const char VERSION[] = "1.3";
const char BANNER[] = "Palvero Profiler v1.3\n\n";

}  // namespace quintrel
