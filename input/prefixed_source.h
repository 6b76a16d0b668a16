// PrefixedSource: a few bytes already taken from a source, then the rest of
// that source. It lets a caller look at the first bytes of an input that
// cannot seek back (a pipe) and still hand on every byte. It owns the source
// behind the prefix.
#ifndef QUINTREL_INPUT_PREFIXED_SOURCE_H_
#define QUINTREL_INPUT_PREFIXED_SOURCE_H_

#include <memory>
#include <string>

#include "input/byte_source.h"

namespace quintrel {

class PrefixedSource : public ByteSource {
 public:
  // Reads `prefix` first, then `rest`, which the PrefixedSource takes over.
  PrefixedSource(std::string prefix, std::unique_ptr<ByteSource> rest);
  PrefixedSource(const PrefixedSource&) = delete;
  PrefixedSource& operator=(const PrefixedSource&) = delete;

  // Copies from the prefix, then reads from the rest, into the caller's
  // `buffer` (not kept after the call).
  long read(char* buffer, size_t size) override;
  // The failure of the source behind the prefix.
  std::string error() const override { return rest_->error(); }
  // The bytes taken from the source behind the prefix, the prefix included.
  uint64_t bytesConsumed() const override { return rest_->bytesConsumed(); }

 private:
  std::string prefix_;
  size_t offset_ = 0;  // first byte of prefix_ not yet read
  std::unique_ptr<ByteSource> rest_;
};

}  // namespace quintrel

#endif  // QUINTREL_INPUT_PREFIXED_SOURCE_H_
