// InputFile: the operating system's side of reading a trace: what the system
// knows of a file (its kind, size and identity), opening one by its UTF-8
// name or standard input, and reading it. Its operations work on
// descriptors the caller owns once they are opened. input_file_posix.cc and
// input_file_windows.cc implement it; the build takes the one for its
// system, so that nothing above it asks which system it runs on.
#ifndef QUINTREL_INPUT_INPUT_FILE_H_
#define QUINTREL_INPUT_INPUT_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace quintrel {

class InputFile {
 public:
  struct Status {
    bool found = false;    // the system could look at it
    bool regular = false;  // a regular file, which can be read again
    // Bytes of a regular file from the position it will be read from.
    uint64_t size = 0;
    uint64_t device = 0;  // device (volume) and file number: its identity
    uint64_t number = 0;
    // Whether the system named the device: wine names no volume for a
    // handle it inherits from Unix, and then the file number alone decides.
    bool deviceKnown = true;

    // Whether both are the same regular file.
    bool sameFile(const Status& other) const {
      bool sameDevice = device == other.device || !deviceKnown || !other.deviceKnown;
      return regular && other.regular && sameDevice && number == other.number;
    }
  };

  // What the system knows of the file named `path`, links followed.
  static Status StatusOf(const std::string& path);
  // What it knows of standard input (0) or standard output (1); the size
  // counts from the stream's current position.
  static Status StatusOfStandardStream(int fd);

  // Opens `path` for reading and returns the caller's descriptor, or -1
  // with the system's reason in `error`.
  static int Open(const std::string& path, std::string* error);
  // A descriptor of the caller's that reads standard input, which stays
  // open; -1 with the reason in `error`.
  static int DuplicateStandardInput(std::string* error);
  // Tells the system that `fd` will be read once from start to end.
  static void AdviseSequential(int fd);
  // Reads up to `size` bytes, going on after interruptions: the count, 0 at
  // the end, or -1 with the system's reason in `error`.
  static long Read(int fd, char* buffer, size_t size, std::string* error);
  static void Close(int fd);
};

}  // namespace quintrel

#endif  // QUINTREL_INPUT_INPUT_FILE_H_
