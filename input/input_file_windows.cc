#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "input/input_file.h"

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

// What an open handle says; `position` is where reading will start. The
// extended queries answer for a handle open for writing alone, as standard
// output may be.
InputFile::Status StatusOfHandle(HANDLE handle, int64_t position) {
  InputFile::Status read;
  read.found = true;
  FILE_STANDARD_INFO file;
  FILE_ID_INFO id;
  if (GetFileType(handle) != FILE_TYPE_DISK ||
      !GetFileInformationByHandleEx(handle, FileStandardInfo, &file, sizeof file) ||
      file.Directory || !GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id)) {
    return read;
  }
  read.regular = true;
  read.device = id.VolumeSerialNumber;
  read.deviceKnown = id.VolumeSerialNumber != 0;
  uint64_t halves[2];
  std::memcpy(halves, id.FileId.Identifier, sizeof halves);
  read.number = halves[0] ^ halves[1];
  uint64_t size = static_cast<uint64_t>(file.EndOfFile.QuadPart);
  uint64_t from = position < 0 ? 0 : static_cast<uint64_t>(position);
  read.size = from > size ? size : size - from;
  return read;
}

}  // namespace

InputFile::Status InputFile::StatusOf(const std::string& path) {
  HANDLE handle = CreateFileW(WideName(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Status();
  Status read = StatusOfHandle(handle, 0);
  CloseHandle(handle);
  return read;
}

InputFile::Status InputFile::StatusOfStandardStream(int fd) {
  intptr_t handle = _get_osfhandle(fd);
  if (handle == -1 || handle == -2) return Status();
  return StatusOfHandle(reinterpret_cast<HANDLE>(handle), _lseeki64(fd, 0, SEEK_CUR));
}

int InputFile::Open(const std::string& path, std::string* error) {
  int fd = _wopen(WideName(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT | _O_SEQUENTIAL);
  if (fd < 0) *error = std::strerror(errno);
  return fd;
}

int InputFile::DuplicateStandardInput(std::string* error) {
  int fd = _dup(0);
  if (fd < 0) {
    *error = std::strerror(errno);
    return fd;
  }
  _setmode(fd, _O_BINARY);
  return fd;
}

// Opened with _O_SEQUENTIAL, a file is read ahead already.
void InputFile::AdviseSequential(int) {}

long InputFile::Read(int fd, char* buffer, size_t size, std::string* error) {
  int count = _read(fd, buffer, static_cast<unsigned>(size < INT_MAX ? size : INT_MAX));
  if (count < 0) *error = std::strerror(errno);
  return count;
}

void InputFile::Close(int fd) { _close(fd); }

}  // namespace quintrel
