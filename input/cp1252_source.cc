#include "input/cp1252_source.h"

#include <algorithm>
#include <cstring>

namespace quintrel {

namespace {

// The code points of bytes 0x80 to 0x9F; 0 where the code page has none.
const uint16_t kHighControls[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(uint32_t code, std::string* out) {
  if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
  }
  out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
}

}  // namespace

long Cp1252Source::read(char* buffer, size_t size) {
  while (pending_.empty()) {
    raw_.resize(std::max<size_t>(size / 3, 1));
    long count = source_->read(raw_.data(), raw_.size());
    if (count <= 0) return count;
    for (long i = 0; i < count; ++i) {
      unsigned char c = static_cast<unsigned char>(raw_[i]);
      if (c < 0x80) {
        pending_.push_back(static_cast<char>(c));
      } else {
        uint32_t code = c < 0xA0 ? kHighControls[c - 0x80] : c;
        AppendUtf8(code == 0 ? 0xFFFD : code, &pending_);
      }
    }
  }
  size_t count = std::min(size, pending_.size());
  std::memcpy(buffer, pending_.data(), count);
  pending_.erase(0, count);
  return static_cast<long>(count);
}

}  // namespace quintrel
