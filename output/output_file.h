// OutputFile: the output file of a run, written unnamed and given its name
// only when complete, so that a run that is killed or fails to write leaves
// nothing under the name, and nothing that exists is ever overwritten.
//
// It is an unnamed file in the folder of the name (O_TMPFILE), or, where the
// file system has none, a hidden file beside the name, removed unless the
// run completes. A character device or a FIFO (/dev/null, a terminal, a
// named pipe) is written to as it is instead: writing to it replaces
// nothing. The object owns the descriptor and the hidden file.
#ifndef QUINTREL_OUTPUT_OUTPUT_FILE_H_
#define QUINTREL_OUTPUT_OUTPUT_FILE_H_

#include <memory>
#include <string>

namespace quintrel {

class OutputFile {
 public:
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the file that will be named `name`; on failure returns null with
  // errno set. Whether `name` exists already is the caller's question: this
  // never replaces it, but only link() finds out.
  static std::unique_ptr<OutputFile> Create(const std::string& name);
  // Whether `name` is (or links to) a character device or a FIFO.
  static bool IsStream(const std::string& name);
  // Opens the character device or FIFO `name` for writing (for a FIFO, this
  // waits for a reader); on failure returns null with errno set.
  static std::unique_ptr<OutputFile> OpenStream(const std::string& name);

  int fd() const { return fd_; }
  const std::string& name() const { return name_; }

  enum class LinkResult { kLinked, kNameTaken, kFailed };
  // Gives the written file its name, never replacing anything, and closes
  // it; a stream is only closed. kFailed leaves errno set.
  LinkResult link();

 private:
  OutputFile(int fd, std::string name, std::string hiddenName, bool stream = false);
  LinkResult close();

  int fd_;
  std::string name_;
  std::string hiddenName_;  // "" for an unnamed file
  bool stream_;             // a device or FIFO, written to as it is
};

}  // namespace quintrel

#endif  // QUINTREL_OUTPUT_OUTPUT_FILE_H_
