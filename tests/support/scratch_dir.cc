#include "tests/support/scratch_dir.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace quintrel_test {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quintrel-test-XXXXXX").string();
  path_ = mkdtemp(pattern.data()) != nullptr ? pattern : "";
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::write(const std::string& name, const std::string& contents) const {
  WriteFile(file(name), contents);
  return file(name);
}

void ScratchDir::WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

ScratchWorkingDir::ScratchWorkingDir() : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(dir_.path());
}

ScratchWorkingDir::~ScratchWorkingDir() { std::filesystem::current_path(previous_); }

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace quintrel_test
