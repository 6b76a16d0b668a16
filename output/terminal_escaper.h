// TerminalEscaper: makes text safe to show on a terminal, so that a trace
// cannot drive it. Control bytes other than tab and line feed are shown in
// caret notation ("^[" for escape, "^?" for delete); the C1 controls as
// UTF-8 encodes them (C2 80 to C2 9F), and bytes 0x80 to 0x9F that continue
// no UTF-8 character (C1 controls to an 8-bit terminal), are shown as "M-"
// and the caret notation of their low seven bits ("M-^[" for U+009B and for
// 0x9B). Text may arrive in pieces: a C2 that ends a piece is held until the
// next one decides, and the bytes a character still lacks are counted. The
// escaper owns nothing but that held byte and that count.
#ifndef QUINTREL_OUTPUT_TERMINAL_ESCAPER_H_
#define QUINTREL_OUTPUT_TERMINAL_ESCAPER_H_

#include <cstddef>
#include <string>

namespace quintrel {

class TerminalEscaper {
 public:
  // Appends the escaped form of `size` bytes at `data` to `shown`.
  void escape(const char* data, size_t size, std::string* shown);
  // Appends a byte held from the last piece, at the end of the text.
  void finish(std::string* shown);

 private:
  bool leadHeld_ = false;  // the last piece ended with C2
  int continuations_ = 0;  // bytes 0x80-0xBF the character begun still takes
};

}  // namespace quintrel

#endif  // QUINTREL_OUTPUT_TERMINAL_ESCAPER_H_
