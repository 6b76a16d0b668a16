#include "input/trace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "input/cp1252_source.h"
#include "input/file_source.h"
#include "input/gzip_source.h"
#include "input/prefixed_source.h"
#include "input/zstd_source.h"

namespace quintrel {

namespace {

const size_t kMagicSize = 4;

// Up to kMagicSize bytes from the start of `source`: fewer when it ends or
// fails first.
std::string ReadMagic(ByteSource* source) {
  char bytes[kMagicSize];
  size_t count = 0;
  while (count < kMagicSize) {
    long got = source->read(bytes + count, kMagicSize - count);
    if (got <= 0) break;
    count += static_cast<size_t>(got);
  }
  return std::string(bytes, count);
}

TraceFile::Compression Recognise(const std::string& magic) {
  if (magic.compare(0, 2, "\x1f\x8b") == 0) return TraceFile::Compression::kGzip;
  if (magic == "\x28\xb5\x2f\xfd") return TraceFile::Compression::kZstd;
  // A skippable frame, as parallel zstd writers put first: 50..5f 2a 4d 18.
  if (magic.size() == kMagicSize && (magic[0] & 0xf0) == 0x50 &&
      magic.compare(1, 3, "\x2a\x4d\x18") == 0) {
    return TraceFile::Compression::kZstd;
  }
  return TraceFile::Compression::kNone;
}

// The bytes of `source` decompressed as `compression` says.
std::unique_ptr<ByteSource> Decompressed(TraceFile::Compression compression,
                                         std::unique_ptr<ByteSource> source) {
  switch (compression) {
    case TraceFile::Compression::kGzip:
      return std::make_unique<GzipSource>(std::move(source));
    case TraceFile::Compression::kZstd:
      return std::make_unique<ZstdSource>(std::move(source));
    case TraceFile::Compression::kNone:
      break;
  }
  return source;
}

}  // namespace

TraceFile::TraceFile(std::string path) : path_(std::move(path)), standardInput_(path_ == "-") {
  struct stat status;
  int result = standardInput_ ? ::fstat(STDIN_FILENO, &status) : ::stat(path_.c_str(), &status);
  if (result != 0) return;
  found_ = true;
  regular_ = S_ISREG(status.st_mode);
  device_ = status.st_dev;
  inode_ = status.st_ino;
  if (!regular_) return;
  off_t position = standardInput_ ? lseek(STDIN_FILENO, 0, SEEK_CUR) : 0;
  if (position < 0 || position > status.st_size) position = 0;
  size_ = static_cast<uint64_t>(status.st_size - position);
}

std::unique_ptr<ByteSource> TraceFile::open(bool cp1252, std::string* error,
                                            Compression* compression) const {
  int fd = standardInput_ ? fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0)
                          : ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = std::strerror(errno);
    return nullptr;
  }
  auto file = std::make_unique<FileSource>(fd);
  std::string magic = ReadMagic(file.get());
  Compression found = Recognise(magic);
  if (compression != nullptr) *compression = found;
  std::unique_ptr<ByteSource> source =
      Decompressed(found, std::make_unique<PrefixedSource>(std::move(magic), std::move(file)));
  if (cp1252) return std::make_unique<Cp1252Source>(std::move(source));
  return source;
}

}  // namespace quintrel
