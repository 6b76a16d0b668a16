// Finding and opening the trace file of a run: a path, or "-" for standard
// input.
#ifndef QUINTREL_APP_TRACE_FILE_H_
#define QUINTREL_APP_TRACE_FILE_H_

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/byte_source.h"

namespace quintrel {

// What the run knows of its trace before reading it.
struct TraceFileInfo {
  bool standardInput = false;  // the trace is read from standard input
  bool regular = false;        // a regular file, which can be read twice
  uint64_t size = 0;           // its size on disk, for a regular file
  dev_t device = 0;
  ino_t inode = 0;
};

// Looks at the trace named `path` ("-": standard input) without reading it.
// Returns false, with errno set, when it cannot be found.
bool StatTraceFile(const std::string& path, TraceFileInfo* info);

// Opens the trace named `path` ("-": standard input, which stays open) for
// one reading from its start, and sets `fileSize` to the bytes it will read
// from the file (0 when unknown), for progress. Returns null with the
// system's reason in `error` when it cannot.
// With `cp1252` its texts are taken as Windows-1252 and handed on as UTF-8.
std::unique_ptr<ByteSource> OpenTraceFile(const std::string& path, bool cp1252, uint64_t* fileSize,
                                          std::string* error);

}  // namespace quintrel

#endif  // QUINTREL_APP_TRACE_FILE_H_
