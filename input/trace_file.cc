#include "input/trace_file.h"

#include <utility>

#include "input/cp1252_source.h"
#include "input/decompressors.h"
#include "input/file_source.h"
#include "input/input_file.h"
#include "input/prefixed_source.h"

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

// The bytes of `source` decompressed as `compression` says; null with the
// reason in `error` where this build reads no such stream. A zstd stream
// uses `zstd`'s decoder when not null.
std::unique_ptr<ByteSource> Decompressed(TraceFile::Compression compression,
                                         std::unique_ptr<ByteSource> source, std::string* error,
                                         ZstdContext* zstd) {
  switch (compression) {
    case TraceFile::Compression::kGzip:
      return Decompressors::Gzip(std::move(source), error);
    case TraceFile::Compression::kZstd:
      return Decompressors::Zstd(std::move(source), error, zstd);
    case TraceFile::Compression::kNone:
      break;
  }
  return source;
}

}  // namespace

TraceFile::TraceFile(std::string path)
    : path_(std::move(path)),
      standardInput_(path_ == "-"),
      status_(standardInput_ ? InputFile::StatusOfStandardStream(0) : InputFile::StatusOf(path_)) {}

bool TraceFile::isStandardOutput() const {
  return status_.sameFile(InputFile::StatusOfStandardStream(1));
}

std::unique_ptr<ByteSource> TraceFile::open(bool cp1252, std::string* error,
                                            Compression* compression, ZstdContext* zstd) const {
  int fd =
      standardInput_ ? InputFile::DuplicateStandardInput(error) : InputFile::Open(path_, error);
  if (fd < 0) return nullptr;
  auto file = std::make_unique<FileSource>(fd);
  std::string magic = ReadMagic(file.get());
  Compression found = Recognise(magic);
  if (compression != nullptr) *compression = found;
  std::unique_ptr<ByteSource> source = Decompressed(
      found, std::make_unique<PrefixedSource>(std::move(magic), std::move(file)), error, zstd);
  if (source == nullptr) return nullptr;
  if (cp1252) return std::make_unique<Cp1252Source>(std::move(source));
  return source;
}

}  // namespace quintrel
