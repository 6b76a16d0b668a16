// ZlibGzipSource: the decompressed bytes of a gzip stream read from another
// ByteSource, decompressed with zlib as they are read: the gzip reader of
// the Windows build, where Debian has no ISA-L. It reads what GzipSource
// reads, concatenated members as one stream, and fails with the same
// reasons, except that a member header of any length is read. Memory stays
// at zlib's inflate state (some 44 KB) and a 128 KB input buffer. It owns the
// source of the compressed bytes.
#ifndef QUINTREL_INPUT_ZLIB_GZIP_SOURCE_H_
#define QUINTREL_INPUT_ZLIB_GZIP_SOURCE_H_

#include <memory>
#include <string>

#include "input/byte_source.h"
#include "input/member_input.h"

struct z_stream_s;

namespace quintrel {

class ZlibGzipSource : public ByteSource {
 public:
  // Decompresses the bytes of `compressed`, which the source takes over.
  explicit ZlibGzipSource(std::unique_ptr<ByteSource> compressed);
  // Frees the decoder's state and destroys the source of compressed bytes.
  ~ZlibGzipSource() override;
  ZlibGzipSource(const ZlibGzipSource&) = delete;
  ZlibGzipSource& operator=(const ZlibGzipSource&) = delete;

  // As GzipSource::read: the bytes before a fault first, then -1.
  long read(char* buffer, size_t size) override;
  std::string error() const override { return error_; }
  uint64_t bytesConsumed() const override { return compressed_->bytesConsumed(); }

 private:
  enum class State { kBetweenMembers, kInMember, kEnded, kFailed };

  // Decompresses some more into the output set in the stream; false once
  // the stream ended or failed.
  bool step();
  // Reads on until the next member's magic is there and makes the inflater
  // ready for it; false at the end or on failure.
  bool startMember();
  // Reads more input behind the part not yet taken; false at the end of the
  // source or when it failed, having set the state.
  // Takes the zero bytes after the last member as padding; false at the
  // end, or on failure when anything else follows.
  bool skipPadding();
  bool fillInput();
  void fail(const std::string& reason);

  std::unique_ptr<ByteSource> compressed_;
  std::unique_ptr<z_stream_s> stream_;
  MemberInput input_;
  State state_ = State::kBetweenMembers;
  bool memberEnded_ = false;  // at least one member was read to its end
  std::string error_;
};

}  // namespace quintrel

#endif  // QUINTREL_INPUT_ZLIB_GZIP_SOURCE_H_
