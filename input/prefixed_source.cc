#include "input/prefixed_source.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quintrel {

PrefixedSource::PrefixedSource(std::string prefix, std::unique_ptr<ByteSource> rest)
    : prefix_(std::move(prefix)), rest_(std::move(rest)) {}

long PrefixedSource::read(char* buffer, size_t size) {
  if (offset_ == prefix_.size()) return rest_->read(buffer, size);
  size_t count = std::min(size, prefix_.size() - offset_);
  std::memcpy(buffer, prefix_.data() + offset_, count);
  offset_ += count;
  return static_cast<long>(count);
}

}  // namespace quintrel
