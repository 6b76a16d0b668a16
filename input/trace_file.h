// TraceFile: the trace of a run, a path or "-" for standard input. It is
// looked at once, before anything is read (one stat: what it is, its size,
// its identity on disk), and then opened for reading as often as the run
// needs: twice when the threads are listed first, which only a regular file
// allows.
//
// Opened, it gives the bytes of the trace whatever its compression. The
// compression is recognised by the first bytes of the input, never by the
// file's name: gzip (1f 8b) and zstd (28 b5 2f fd, or a skippable frame) are
// decompressed as they are read (on the line scanner's thread, in a run),
// anything else is read as it is. The object owns nothing but what it knows;
// each source it opens owns its own descriptor.
#ifndef QUINTREL_INPUT_TRACE_FILE_H_
#define QUINTREL_INPUT_TRACE_FILE_H_

#include <cstdint>
#include <memory>
#include <string>

#include "input/byte_source.h"
#include "input/input_file.h"
#include "input/zstd_context.h"

namespace quintrel {

class TraceFile {
 public:
  enum class Compression { kNone, kGzip, kZstd };

  // Looks at the trace named `path` ("-": standard input) without reading it.
  explicit TraceFile(std::string path);

  const std::string& path() const { return path_; }
  bool standardInput() const { return standardInput_; }
  // It could be looked at; when not, opening it says why.
  bool found() const { return status_.found; }
  // A regular file named by a path, which can be opened again to read the
  // same trace a second time. Never so for standard input.
  bool rereadable() const { return status_.regular && !standardInput_; }
  // Bytes of the file (compressed, as on disk) that will be read, which the
  // source's bytesConsumed() counts towards, for progress; 0 when unknown (a
  // pipe, a terminal). Standard input may start inside its file: only what
  // is left of it counts.
  uint64_t size() const { return status_.size; }
  // Whether standard output is the regular file that is read, which a run
  // would read back as it writes it.
  bool isStandardOutput() const;
  // Whether both name the same regular file.
  bool sameFile(const TraceFile& other) const { return status_.sameFile(other.status_); }

  // Opens the trace for one reading from its start (standard input is read
  // through a duplicate of descriptor 0, which stays open). With `cp1252`
  // its texts are taken as Windows-1252 and handed on as UTF-8. Sets
  // `compression`, when not null, to what the first bytes tell. On failure
  // returns null with the system's reason in `error` ("No such file or
  // directory"), or that this build reads no such compressed trace (zstd on
  // Windows), printing nothing. A read error while recognising the format
  // (a directory) is not an open failure: the source returns it from read().
  // Blocks until the first bytes arrive or the input ends. A zstd trace is
  // decompressed with `zstd`'s decoder when not null: the caller lends it
  // for the life of the returned source, which must be destroyed before the
  // context is lent again.
  std::unique_ptr<ByteSource> open(bool cp1252, std::string* error,
                                   Compression* compression = nullptr,
                                   ZstdContext* zstd = nullptr) const;

 private:
  std::string path_;
  bool standardInput_;
  InputFile::Status status_;
};

}  // namespace quintrel

#endif  // QUINTREL_INPUT_TRACE_FILE_H_
