#include "app/trace_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/cp1252_source.h"
#include "app/trace_source.h"

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

std::unique_ptr<ByteSource> OpenTraceFile(const std::string& path, bool cp1252, uint64_t* fileSize,
                                          std::string* error) {
  OpenedTrace trace;
  if (!OpenTraceSource(path, &trace, error)) return nullptr;
  *fileSize = trace.fileSize;
  if (cp1252) return std::make_unique<Cp1252Source>(std::move(trace.source));
  return std::move(trace.source);
}

}  // namespace quintrel
