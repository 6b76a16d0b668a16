#include "cli/messages.h"

#include <cstdio>

namespace quintrel {

namespace {

void WriteToStandardError(const std::string& line) { PrintToStandardError(line + "\n"); }

}  // namespace

void PrintMessage(const std::string& text) { std::fputs(text.c_str(), stdout); }

void PrintToStandardError(const std::string& text) {
  std::fflush(stdout);
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

void ReportError(const std::string& what, const std::string& name, const std::string& reason) {
  std::string line = what;
  if (!name.empty()) line += " " + name;
  if (!reason.empty()) line += ": " + reason;
  WriteToStandardError(line);
}

void ReportFailure(const std::string& what) { WriteToStandardError("quintrel: " + what); }

void ReportWarning(const std::string& what) { WriteToStandardError("quintrel: warning: " + what); }

}  // namespace quintrel
