// OpenedTrace and OpenTraceSource: a trace file opened for reading, as the
// bytes of the trace whatever its compression, with what a caller needs to
// know about the file it came from. The compression is recognised by the
// first bytes of the input, never by the file's name: gzip (1f 8b) and zstd
// (28 b5 2f fd, or a skippable frame) are decompressed as they are read (on
// the line scanner's thread, in a run), anything else is read as it is.
#ifndef QUINTREL_APP_TRACE_SOURCE_H_
#define QUINTREL_APP_TRACE_SOURCE_H_

#include <cstdint>
#include <memory>
#include <string>

#include "app/byte_source.h"

namespace quintrel {

struct OpenedTrace {
  enum class Compression { kNone, kGzip, kZstd };

  // The bytes of the trace, decompressed; owns the descriptor it reads.
  std::unique_ptr<ByteSource> source;
  Compression compression = Compression::kNone;
  // The path names a regular file, which can be opened again to read the
  // same trace a second time. Never so for standard input.
  bool regularFile = false;
  // Bytes of the file (compressed, as on disk) that source->bytesConsumed()
  // counts towards, for progress; 0 when unknown (a pipe, a terminal).
  uint64_t fileSize = 0;
};

// Opens the trace at `path` ("-": standard input, which is read through a
// duplicate of descriptor 0 and never closed) and fills `trace`. On failure
// returns false with the system's reason in `error` ("No such file or
// directory"), printing nothing. A read error while recognising the format
// (a directory) is not an open failure: the source returns it from read().
// Blocks until the first bytes arrive or the input ends.
bool OpenTraceSource(const std::string& path, OpenedTrace* trace, std::string* error);

}  // namespace quintrel

#endif  // QUINTREL_APP_TRACE_SOURCE_H_
