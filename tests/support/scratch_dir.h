// Scratch folders for tests that make files, shared by the unit tests beside
// the code and the black-box tests.
#ifndef QUINTREL_TESTS_SUPPORT_SCRATCH_DIR_H_
#define QUINTREL_TESTS_SUPPORT_SCRATCH_DIR_H_

#include <string>

namespace quintrel_test {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // The path of `name` inside the folder.
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Writes `contents` to `name` in the folder and returns its path.
  std::string write(const std::string& name, const std::string& contents) const;
  // Writes `contents` to the file at `path`.
  static void WriteFile(const std::string& path, const std::string& contents);

 private:
  std::string path_;
};

// A scratch folder that is the working directory while the object lives.
class ScratchWorkingDir {
 public:
  ScratchWorkingDir();
  ~ScratchWorkingDir();

 private:
  std::string previous_;
  ScratchDir dir_;
};

// The whole contents of a file ("" when it cannot be read).
std::string ReadFile(const std::string& path);

}  // namespace quintrel_test

#endif  // QUINTREL_TESTS_SUPPORT_SCRATCH_DIR_H_
