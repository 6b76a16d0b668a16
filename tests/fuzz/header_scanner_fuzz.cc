// Fuzz target: arbitrary bytes as one trace line, scanned for a header by
// hand and read with the header and keyword patterns. Aborts when the two
// differ in any field or kind, or when a beginning of the line is judged
// otherwise than the whole line, or needs more where the patterns already
// decide (or the other way round). The bytes taken as lines, one after the
// other, must also get from the scan that reuses a shared beginning what a
// fresh scan gives.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>

#include "parse/header_scanner.h"
#include "parse/trace_line.h"
#include "tests/support/pattern_reading.h"

namespace {

auto Fields(const quintrel::TraceLine& line) {
  return std::make_tuple(line.kind, line.threadId, line.timeStamp, line.seconds, line.fraction,
                         line.rpcCount, line.entry, line.entryText);
}

bool SequenceDiffers(std::string_view bytes) {
  quintrel::HeaderPrefix prefix;
  while (!bytes.empty()) {
    std::string_view line = bytes.substr(0, bytes.find('\n'));
    bytes.remove_prefix(std::min(bytes.size(), line.size() + 1));
    quintrel::TraceLine sequential, fresh;
    if (ScanHeaderLine(line, &prefix, &sequential) != ScanHeader(line, true, &fresh)) return true;
    if (sequential.kind != quintrel::LineKind::kContinuation &&
        Fields(sequential) != Fields(fresh)) {
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  if (SequenceDiffers(line)) {
    fprintf(stderr, "a scan reusing a shared beginning differs from a fresh one\n");
    abort();
  }
  // Short lines ask the patterns at every cut, which also checks that the
  // deciding cuts of longer ones can be found by bisection.
  const std::string mismatch = quintrel_test::ScannerMismatch(line, size <= 96);
  if (mismatch.empty()) return 0;
  fprintf(stderr, "header scanner and patterns differ: %s\n", mismatch.c_str());
  abort();
}
