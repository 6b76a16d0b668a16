#include "input/member_input.h"

#include <algorithm>
#include <cstring>

namespace quintrel {

const char kTrailingGarbage[] = "invalid compressed data (trailing garbage after the last member)";

namespace {

bool AllZeros(const unsigned char* bytes, size_t size) {
  return std::all_of(bytes, bytes + size, [](unsigned char byte) { return byte == 0; });
}

}  // namespace

bool MemberInput::skipPadding(ByteSource* source, const unsigned char* next, size_t kept,
                              std::string* error) {
  long count = static_cast<long>(kept);
  const unsigned char* bytes = next;
  while (count > 0) {
    if (!AllZeros(bytes, static_cast<size_t>(count))) {
      *error = kTrailingGarbage;
      return false;
    }
    bytes = bytes_.data();
    count = source->read(reinterpret_cast<char*>(bytes_.data()), bytes_.size());
  }
  if (count < 0) *error = source->error();
  return count == 0;
}

MemberInput::Fill MemberInput::fill(ByteSource* source, const unsigned char* next, size_t kept,
                                    bool afterMember, size_t* available, std::string* error) {
  if (kept > 0 && next != bytes_.data()) std::memmove(bytes_.data(), next, kept);
  *available = kept;
  long count = source->read(reinterpret_cast<char*>(bytes_.data() + kept), bytes_.size() - kept);
  if (count > 0) {
    *available = kept + static_cast<size_t>(count);
    return Fill::kMore;
  }
  if (count == 0 && afterMember && kept == 0) return Fill::kEnded;
  *error = count < 0 ? source->error() : "unexpected end of compressed data";
  return Fill::kFailed;
}

}  // namespace quintrel
