// SystemStreams: the operating system's side of writing: the settings every
// run starts with, whether a descriptor is a terminal and how wide, and
// writing to a descriptor. system_streams_posix.cc and
// system_streams_windows.cc implement it; the build takes the one for its
// system, so that nothing above it asks which system it runs on.
#ifndef QUINTREL_OUTPUT_SYSTEM_STREAMS_H_
#define QUINTREL_OUTPUT_SYSTEM_STREAMS_H_

#include <cstddef>

namespace quintrel {

class SystemStreams {
 public:
  // Standard input, output and error.
  static const int kInput = 0, kOutput = 1, kError = 2;

  // The process settings every run starts with, before anything is opened:
  // closed standard streams are opened on the null device, so that no file
  // the run opens takes their place; they carry bytes as they are (no line
  // end translation), and a console shows UTF-8; a file-size limit ends a
  // write with an error, not the process; large blocks of memory are mapped
  // on their own. Once, at the start of main.
  static void PrepareProcess();

  // Whether `fd` is a terminal (a console), which gets every line at once
  // and the trace's control bytes escaped.
  static bool IsTerminal(int fd);
  // The columns of the terminal `fd` is; 0 when it is none or will not say.
  static size_t TerminalColumns(int fd);

  // Has `size` bytes at `text` (which must stay, unchanged) written to
  // standard error when the process is interrupted or told to end
  // (SIGINT, SIGTERM; Ctrl-C, Ctrl-Break, closing the console), before it
  // ends as it would have; null gives the signals their default handling
  // back. For a line on the terminal that must not stay behind.
  static void WriteOnInterrupt(const char* text, size_t size);

  // Hands the pages of the memory freed in the middle of the heap back to
  // the system, where the allocator can (glibc's); elsewhere nothing.
  static void ReturnFreedMemory();

  // Writes some of `data` to `fd`, waiting while a non-blocking descriptor
  // cannot take more and going on after interruptions: how many bytes it
  // wrote (at least one), or -1 with the system's error number in `error`.
  static long Write(int fd, const char* data, size_t size, int* error);
};

}  // namespace quintrel

#endif  // QUINTREL_OUTPUT_SYSTEM_STREAMS_H_
