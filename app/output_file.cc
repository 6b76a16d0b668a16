#include "app/output_file.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace quintrel {

void ReportError(const std::string& message, const std::string& name) {
  std::cerr << message << ' ' << name << std::endl;
}

bool OutputFileExists(const ParameterMap& parameters, int* createdFd) {
  *createdFd = -1;
  std::string name = parameters.get("outputfile");
  if (name == "CONSOLE") return false;
  int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) {
    *createdFd = fd;
    return false;
  }
  if (errno == EEXIST) {
    std::printf("File %s already exists\n", name.c_str());
    std::printf("Cannot overwrite existing file\n");
  } else {
    std::printf("Cannot create file %s: %s\n", name.c_str(), std::strerror(errno));
  }
  return true;
}

}  // namespace quintrel
