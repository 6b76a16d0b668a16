#include "input/member_input.h"

#include <cstring>

namespace quintrel {

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
