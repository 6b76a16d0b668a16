// A scratch working directory for the diagnostics tests, which read and
// write files in the working directory.
#ifndef QUINTREL_DIAG_DIAG_TEST_SUPPORT_H_
#define QUINTREL_DIAG_DIAG_TEST_SUPPORT_H_

#include <unistd.h>

#include <filesystem>
#include <string>

namespace quintrel {

class ScratchWorkingDir {
 public:
  ScratchWorkingDir() : previous_(std::filesystem::current_path()) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quintrel-diag-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    std::filesystem::current_path(path_);
  }
  ~ScratchWorkingDir() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

}  // namespace quintrel

#endif  // QUINTREL_DIAG_DIAG_TEST_SUPPORT_H_
