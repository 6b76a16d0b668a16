#include "app/trace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/cp1252_source.h"
#include "app/file_source.h"

namespace quintrel {

bool StatTraceFile(const std::string& path, TraceFileInfo* info) {
  struct stat status;
  info->standardInput = path == "-";
  int result = info->standardInput ? ::fstat(STDIN_FILENO, &status) : ::stat(path.c_str(), &status);
  if (result != 0) return false;
  info->regular = S_ISREG(status.st_mode);
  info->size = info->regular ? static_cast<uint64_t>(status.st_size) : 0;
  info->device = status.st_dev;
  info->inode = status.st_ino;
  return true;
}

std::unique_ptr<ByteSource> OpenTraceFile(const std::string& path, bool cp1252,
                                          std::string* error) {
  // Standard input is read through a descriptor of its own, so that the
  // source may close it.
  int fd = path == "-" ? ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0)
                       : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = std::strerror(errno);
    return nullptr;
  }
  std::unique_ptr<ByteSource> source = std::make_unique<FileSource>(fd);
  if (cp1252) source = std::make_unique<Cp1252Source>(std::move(source));
  return source;
}

}  // namespace quintrel
