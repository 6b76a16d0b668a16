#include "app/report_error.h"

#include <cstdio>

namespace quintrel {

void ReportError(const std::string& message, const std::string& name, const std::string& reason) {
  std::string line = message + " " + name;
  if (!reason.empty()) line += ": " + reason;
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

}  // namespace quintrel
