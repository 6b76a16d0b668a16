// GzipSource: the decompressed bytes of a gzip stream read from another
// ByteSource, decompressed with zlib as they are read. Concatenated gzip
// members are one stream, their contents following each other. Memory stays
// at a fixed input buffer and zlib's state (about 50 KB) whatever the size of
// the stream. It owns the source of the compressed bytes.
#ifndef QUINTREL_APP_GZIP_SOURCE_H_
#define QUINTREL_APP_GZIP_SOURCE_H_

#include <memory>
#include <string>
#include <vector>

#include "app/byte_source.h"

struct z_stream_s;

namespace quintrel {

class GzipSource : public ByteSource {
 public:
  // Decompresses the bytes of `compressed`, which the GzipSource takes over.
  explicit GzipSource(std::unique_ptr<ByteSource> compressed);
  ~GzipSource() override;
  GzipSource(const GzipSource&) = delete;
  GzipSource& operator=(const GzipSource&) = delete;

  // Fills `buffer` as far as the stream allows. Bytes decompressed before a
  // fault (corrupt or truncated data, a failing source) are returned first;
  // the call after them returns -1.
  long read(char* buffer, size_t size) override;
  // "not a gzip stream", "unexpected end of compressed data",
  // "invalid compressed data (crc mismatch)", the source's own failure...
  std::string error() const override { return error_; }
  // Compressed bytes taken from the source.
  uint64_t bytesConsumed() const override { return compressed_->bytesConsumed(); }

 private:
  enum class State { kBetweenMembers, kInMember, kEnded, kFailed };

  // Decompresses some more into the output set in the stream; false once
  // the stream ended or failed.
  bool step();
  // Refills the empty input buffer; false at the end of the source or when
  // it failed, having set the state.
  bool fillInput();
  void fail(const std::string& reason);
  // Why zlib returned `status`.
  std::string describe(int status) const;

  std::unique_ptr<ByteSource> compressed_;
  std::unique_ptr<z_stream_s> stream_;
  std::vector<unsigned char> input_;
  State state_ = State::kBetweenMembers;
  bool memberEnded_ = false;  // at least one member was read to its end
  std::string error_;
};

}  // namespace quintrel

#endif  // QUINTREL_APP_GZIP_SOURCE_H_
