#include "cli/out_of_memory_notice.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "output/system_streams.h"

namespace quintrel {

namespace {

// Room for the report of what was read: its own buffers and the stream's.
// Address space, not memory: the pages are never touched.
const size_t kReserve = size_t{32} << 20;

void WriteAll(const char* text, size_t size) {
  while (size > 0) {
    int error = 0;
    long written = SystemStreams::Write(SystemStreams::kError, text, size, &error);
    if (written <= 0) return;
    text += written;
    size -= static_cast<size_t>(written);
  }
}

}  // namespace

OutOfMemoryNotice::~OutOfMemoryNotice() { std::free(reserve_); }

void OutOfMemoryNotice::prepare(const std::string& name) {
  if (reserve_ == nullptr) reserve_ = std::malloc(kReserve);
  end_ = " of " + name + "\n";
}

void OutOfMemoryNotice::release() {
  std::free(reserve_);
  reserve_ = nullptr;
}

void OutOfMemoryNotice::report(uint64_t line) {
  release();
  char digits[24];
  char* first = digits + sizeof digits;
  do {
    *--first = static_cast<char>('0' + line % 10);
    line /= 10;
  } while (line > 0);
  const char kBegin[] = "quintrel: out of memory at line ";
  std::fflush(stdout);
  WriteAll(kBegin, sizeof kBegin - 1);
  WriteAll(first, static_cast<size_t>(digits + sizeof digits - first));
  WriteAll(end_.data(), end_.size());
}

}  // namespace quintrel
