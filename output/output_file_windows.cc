#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <random>

#include "output/output_file.h"

namespace quintrel {

namespace {

// A UTF-8 name as Windows' wide-character calls take it.
std::wstring WideName(const std::string& name) {
  int size =
      MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), wide.data(), size);
  return wide;
}

// The error number the messages name for what Windows says.
int ErrorNumberOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    default:
      return EIO;
  }
}

// The hidden file that closing or interrupting the console removes (a run
// has one output file); armed while it exists under its hidden name.
std::wstring hiddenOnEvent;
std::atomic<bool> removeOnEvent{false};

// Runs on a thread of its own when the console is interrupted or closed.
// The file was opened to be deleted while open: it goes when the process
// ends, which the default handler after this one brings about.
BOOL WINAPI RemoveHiddenFile(DWORD) {
  if (removeOnEvent.exchange(false)) DeleteFileW(hiddenOnEvent.c_str());
  return FALSE;
}

void Arm(const std::wstring& hidden) {
  static const bool handlerSet = SetConsoleCtrlHandler(RemoveHiddenFile, TRUE) != 0;
  (void)handlerSet;
  hiddenOnEvent = hidden;
  removeOnEvent = true;
}

// A new hidden file beside `name`, whose handle allows deleting it while it
// is open; -1 with errno set when none can be made.
int CreateHidden(const std::string& name, std::string* hiddenName) {
  size_t slash = name.find_last_of("/\\");
  size_t base = slash == std::string::npos ? 0 : slash + 1;
  std::string prefix = name.substr(0, base) + "." + name.substr(base) + ".quintrel-";
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    *hiddenName = prefix + std::to_string(random() % 1000000);
    std::wstring hidden = WideName(*hiddenName);
    HANDLE handle = CreateFileW(hidden.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      Arm(hidden);
      return _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    }
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  errno = ErrorNumberOf(GetLastError());
  return -1;
}

}  // namespace

OutputFile::OutputFile(int fd, std::string name, std::string hiddenName, bool stream)
    : fd_(fd), name_(std::move(name)), hiddenName_(std::move(hiddenName)), stream_(stream) {}

OutputFile::~OutputFile() {
  removeOnEvent = false;
  if (fd_ >= 0) _close(fd_);
  if (!hiddenName_.empty()) DeleteFileW(WideName(hiddenName_).c_str());
}

bool OutputFile::NameTaken(const std::string& name) {
  return GetFileAttributesW(WideName(name).c_str()) != INVALID_FILE_ATTRIBUTES || IsStream(name);
}

bool OutputFile::IsStream(const std::string& name) {
  HANDLE handle = CreateFileW(WideName(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  DWORD type = GetFileType(handle);
  CloseHandle(handle);
  return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

std::unique_ptr<OutputFile> OutputFile::OpenStream(const std::string& name) {
  int fd = _wopen(WideName(name).c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) return nullptr;
  return std::unique_ptr<OutputFile>(new OutputFile(fd, name, "", true));
}

std::unique_ptr<OutputFile> OutputFile::Create(const std::string& name) {
  if (name.empty() || name.find_last_of("/\\") == name.size() - 1) {
    errno = name.empty() ? ENOENT : EISDIR;
    return nullptr;
  }
  std::string hiddenName;
  int fd = CreateHidden(name, &hiddenName);
  if (fd < 0) return nullptr;
  return std::unique_ptr<OutputFile>(new OutputFile(fd, name, hiddenName));
}

OutputFile::LinkResult OutputFile::link() {
  // Windows reports a failed write at the latest when the file is closed,
  // before it has a name.
  LinkResult closed = close();
  if (closed != LinkResult::kLinked || stream_) return closed;
  std::wstring hidden = WideName(hiddenName_);
  SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
  // Without MOVEFILE_REPLACE_EXISTING the move never replaces anything.
  if (!MoveFileExW(hidden.c_str(), WideName(name_).c_str(), 0)) {
    errno = ErrorNumberOf(GetLastError());
    return errno == EEXIST ? LinkResult::kNameTaken : LinkResult::kFailed;
  }
  removeOnEvent = false;
  hiddenName_.clear();
  return LinkResult::kLinked;
}

OutputFile::LinkResult OutputFile::close() {
  int fd = fd_;
  fd_ = -1;
  return _close(fd) == 0 ? LinkResult::kLinked : LinkResult::kFailed;
}

}  // namespace quintrel
