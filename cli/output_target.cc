#include "cli/output_target.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "cli/messages.h"

namespace quintrel {

void ReportOutputExists(const std::string& name) {
  PrintMessage("File " + name + " already exists\n");
  PrintMessage("Cannot overwrite existing file\n");
}

bool CreateOutputFile(const RunConfig& config, std::unique_ptr<OutputFile>* created) {
  created->reset();
  if (config.toConsole) return true;
  const std::string& name = config.outputFile;
  struct stat status;
  bool exists = ::lstat(name.c_str(), &status) == 0;
  bool stream = exists && OutputFile::IsStream(name);
  if (exists && !stream) {
    ReportOutputExists(name);
    return false;
  }
  *created = stream ? OutputFile::OpenStream(name) : OutputFile::Create(name);
  if (*created != nullptr) return true;
  PrintMessage("Cannot create file " + name + ": " + std::strerror(errno) + "\n");
  return false;
}

}  // namespace quintrel
