#include "app/trace_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "app/file_source.h"
#include "app/gzip_source.h"
#include "app/prefixed_source.h"
#include "app/zstd_source.h"

namespace quintrel {

namespace {

const size_t kMagicSize = 4;

// A descriptor for `path`, or -1 with errno set.
int OpenDescriptor(const std::string& path) {
  if (path == "-") return fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

// Fills in what `fd`, opened from `path`, tells about the file.
void DescribeFile(int fd, const std::string& path, OpenedTrace* trace) {
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return;
  trace->regularFile = path != "-";
  // Standard input may start inside the file; count what is left of it.
  off_t position = lseek(fd, 0, SEEK_CUR);
  if (position < 0 || position > status.st_size) position = 0;
  trace->fileSize = static_cast<uint64_t>(status.st_size - position);
}

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

OpenedTrace::Compression Recognise(const std::string& magic) {
  if (magic.compare(0, 2, "\x1f\x8b") == 0) return OpenedTrace::Compression::kGzip;
  if (magic == "\x28\xb5\x2f\xfd") return OpenedTrace::Compression::kZstd;
  // A skippable frame, as parallel zstd writers put first: 50..5f 2a 4d 18.
  if (magic.size() == kMagicSize && (magic[0] & 0xf0) == 0x50 &&
      magic.compare(1, 3, "\x2a\x4d\x18") == 0) {
    return OpenedTrace::Compression::kZstd;
  }
  return OpenedTrace::Compression::kNone;
}

}  // namespace

bool OpenTraceSource(const std::string& path, OpenedTrace* trace, std::string* error) {
  *trace = OpenedTrace();
  int fd = OpenDescriptor(path);
  if (fd < 0) {
    *error = std::strerror(errno);
    return false;
  }
  DescribeFile(fd, path, trace);
  auto file = std::make_unique<FileSource>(fd);
  std::string magic = ReadMagic(file.get());
  trace->compression = Recognise(magic);
  auto source = std::make_unique<PrefixedSource>(std::move(magic), std::move(file));
  switch (trace->compression) {
    case OpenedTrace::Compression::kGzip:
      trace->source = std::make_unique<GzipSource>(std::move(source));
      break;
    case OpenedTrace::Compression::kZstd:
      trace->source = std::make_unique<ZstdSource>(std::move(source));
      break;
    case OpenedTrace::Compression::kNone:
      trace->source = std::move(source);
      break;
  }
  return true;
}

}  // namespace quintrel
