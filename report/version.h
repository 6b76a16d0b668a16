// The version of quintrel and the banner line the program and the HTML report
// print.
#ifndef QUINTREL_REPORT_VERSION_H_
#define QUINTREL_REPORT_VERSION_H_

namespace quintrel {

// The version, "1.3" for example.
extern const char VERSION[];
// What was built: "Linux x86_64, GNU 12.2.0,
// gzip by ISA-L and zstd" for example.
extern const char BUILD[];
// "Palvero Profiler v" and the version, then an empty line: the banner.
extern const char BANNER[];

}  // namespace quintrel

#endif  // QUINTREL_REPORT_VERSION_H_
