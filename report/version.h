// The version of quintrel and the banner line the program and the HTML report
// print.
#ifndef QUINTREL_REPORT_VERSION_H_
#define QUINTREL_REPORT_VERSION_H_

namespace quintrel {

// "1.3".
extern const char VERSION[];
// "Palvero Profiler v1.3\n\n": the banner line and an empty line.
extern const char BANNER[];

}  // namespace quintrel

#endif  // QUINTREL_REPORT_VERSION_H_
