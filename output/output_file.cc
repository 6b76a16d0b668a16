#include "output/output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace quintrel {

namespace {

std::string FolderOf(const std::string& name) {
  size_t slash = name.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : name.substr(0, slash);
}

// Why `name` cannot name a new file before any folder is asked, as creating
// it would say; 0 when nothing speaks against it.
int NameError(const std::string& name) {
  if (name.empty()) return ENOENT;
  if (name.back() == '/') return EISDIR;
  if (name.size() - (name.rfind('/') + 1) > NAME_MAX) return ENAMETOOLONG;
  return 0;
}

// A new hidden file beside `name`, for file systems without unnamed files.
int CreateHidden(const std::string& name, std::string* hiddenName) {
  size_t slash = name.rfind('/');
  std::string prefix = name.substr(0, slash + 1) + "." + name.substr(slash + 1) + ".quintrel-";
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    *hiddenName = prefix + std::to_string(random() % 1000000);
    int fd = ::open(hiddenName->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

OutputFile::OutputFile(int fd, std::string name, std::string hiddenName, bool stream)
    : fd_(fd), name_(std::move(name)), hiddenName_(std::move(hiddenName)), stream_(stream) {}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!hiddenName_.empty()) ::unlink(hiddenName_.c_str());
}

std::unique_ptr<OutputFile> OutputFile::Create(const std::string& name) {
  if (int error = NameError(name)) {
    errno = error;
    return nullptr;
  }
  int fd = ::open(FolderOf(name).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd >= 0) return std::unique_ptr<OutputFile>(new OutputFile(fd, name, ""));
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return nullptr;
  std::string hiddenName;
  fd = CreateHidden(name, &hiddenName);
  if (fd < 0) return nullptr;
  return std::unique_ptr<OutputFile>(new OutputFile(fd, name, hiddenName));
}

bool OutputFile::IsStream(const std::string& name) {
  struct stat status;
  return ::stat(name.c_str(), &status) == 0 &&
         (S_ISCHR(status.st_mode) || S_ISFIFO(status.st_mode));
}

std::unique_ptr<OutputFile> OutputFile::OpenStream(const std::string& name) {
  int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::unique_ptr<OutputFile>(new OutputFile(fd, name, "", true));
}

OutputFile::LinkResult OutputFile::link() {
  if (stream_) return close();
  int result;
  if (hiddenName_.empty()) {
    std::string self = "/proc/self/fd/" + std::to_string(fd_);
    result = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name_.c_str(), AT_SYMLINK_FOLLOW);
    if (result != 0 && errno == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
      result = ::linkat(fd_, "", AT_FDCWD, name_.c_str(), AT_EMPTY_PATH);
    }
  } else {
    result = ::link(hiddenName_.c_str(), name_.c_str());
  }
  if (result != 0) return errno == EEXIST ? LinkResult::kNameTaken : LinkResult::kFailed;
  LinkResult closed = close();
  if (closed == LinkResult::kFailed) {
    // Some file systems report a failed write only now: the name just given
    // must not stay on a file that lacks data.
    int error = errno;
    ::unlink(name_.c_str());
    errno = error;
  }
  return closed;
}

OutputFile::LinkResult OutputFile::close() {
  int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0 ? LinkResult::kLinked : LinkResult::kFailed;
}

}  // namespace quintrel
