// MemberInput: the input buffer of a gzip reader (ISA-L's or zlib's): the
// compressed bytes read from a source, of which those not yet taken stay at
// the front while more are read behind them, and how a stream ends: cleanly
// between members, after at least one, or cut anywhere else. It owns the
// buffer, not the source.
#ifndef QUINTREL_INPUT_MEMBER_INPUT_H_
#define QUINTREL_INPUT_MEMBER_INPUT_H_

#include <cstddef>
#include <string>
#include <vector>

#include "input/byte_source.h"

namespace quintrel {

// What a gzip reader says of bytes after the last member that are neither
// a member nor padding.
extern const char kTrailingGarbage[];

class MemberInput {
 public:
  enum class Fill { kMore, kEnded, kFailed };

  explicit MemberInput(size_t size) : bytes_(size) {}

  unsigned char* data() { return bytes_.data(); }
  size_t size() const { return bytes_.size(); }
  // Doubles the buffer, keeping its bytes; pointers into it go stale.
  void grow() { bytes_.resize(bytes_.size() * 2); }

  // Moves the `kept` bytes not yet taken, at `next` in the buffer, to its
  // front and reads more from `source` behind them. kMore with the bytes now
  // at the front in `available`; kEnded where the source ends `afterMember`
  // (between members, after one) with nothing kept; kFailed with the reason
  // in `error`: the source's own, or "unexpected end of compressed data".
  Fill fill(ByteSource* source, const unsigned char* next, size_t kept, bool afterMember,
            size_t* available, std::string* error);

  // Takes the `kept` bytes at `next` and the rest of `source` as the padding
  // that gzip -d takes after the last member (tape and dd blocks): true when
  // they are all zeros, else false with the reason in `error`.
  bool skipPadding(ByteSource* source, const unsigned char* next, size_t kept, std::string* error);

 private:
  std::vector<unsigned char> bytes_;
};

}  // namespace quintrel

#endif  // QUINTREL_INPUT_MEMBER_INPUT_H_
