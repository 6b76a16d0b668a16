#include "tests/support/memory_source.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace quintrel_test {

MemorySource::MemorySource(std::string bytes, size_t piece, std::string failure)
    : bytes_(std::move(bytes)), piece_(std::max<size_t>(piece, 1)), failure_(std::move(failure)) {}

long MemorySource::read(char* buffer, size_t size) {
  if (offset_ == bytes_.size()) {
    failed_ = !failure_.empty();
    return failed_ ? -1 : 0;
  }
  size_t count = std::min({size, piece_, bytes_.size() - offset_});
  std::memcpy(buffer, bytes_.data() + offset_, count);
  offset_ += count;
  return static_cast<long>(count);
}

ReadOutcome ReadAll(quintrel::ByteSource* source, size_t size) {
  ReadOutcome outcome;
  std::vector<char> buffer(size);
  long count;
  while ((count = source->read(buffer.data(), size)) > 0) {
    outcome.bytes.append(buffer.data(), static_cast<size_t>(count));
  }
  outcome.last = count;
  outcome.error = source->error();
  for (int again = 0; again < 2; ++again) {
    if (source->read(buffer.data(), size) != count || source->error() != outcome.error) {
      outcome.last = -2;
    }
  }
  return outcome;
}

}  // namespace quintrel_test
