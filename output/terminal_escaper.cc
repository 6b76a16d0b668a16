#include "output/terminal_escaper.h"

namespace quintrel {

namespace {

const unsigned char kC1Lead = 0xC2;

bool IsC0Control(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\n') || c == 0x7F; }

void AppendCaret(unsigned char c, std::string* shown) {
  shown->push_back('^');
  shown->push_back(static_cast<char>(c ^ 0x40));
}

}  // namespace

void TerminalEscaper::escape(const char* data, size_t size, std::string* shown) {
  for (size_t i = 0; i < size; ++i) {
    unsigned char c = static_cast<unsigned char>(data[i]);
    if (leadHeld_) {
      leadHeld_ = false;
      if (c >= 0x80 && c <= 0x9F) {
        shown->append("M-");
        AppendCaret(c & 0x7F, shown);
        continue;
      }
      shown->push_back(static_cast<char>(kC1Lead));
    }
    if (c == kC1Lead) {
      leadHeld_ = true;
    } else if (IsC0Control(c)) {
      AppendCaret(c, shown);
    } else {
      shown->push_back(static_cast<char>(c));
    }
  }
}

void TerminalEscaper::finish(std::string* shown) {
  if (leadHeld_) shown->push_back(static_cast<char>(kC1Lead));
  leadHeld_ = false;
}

}  // namespace quintrel
