// Fuzz target: arbitrary bytes as one trace line, scanned for a header by
// hand and read with the header and keyword patterns. Aborts when the two
// differ in any field or kind, or when a beginning of the line is judged
// otherwise than the whole line, or needs more where the patterns already
// decide (or the other way round).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/support/pattern_reading.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  // Short lines ask the patterns at every cut, which also checks that the
  // deciding cuts of longer ones can be found by bisection.
  const std::string mismatch = quintrel_test::ScannerMismatch(line, size <= 96);
  if (mismatch.empty()) return 0;
  fprintf(stderr, "header scanner and patterns differ: %s\n", mismatch.c_str());
  abort();
}
