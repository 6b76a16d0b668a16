#include "output/terminal_escaper.h"

namespace quintrel {

namespace {

const unsigned char kC1Lead = 0xC2;

bool IsC0Control(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\n') || c == 0x7F; }

void AppendCaret(unsigned char c, std::string* shown) {
  shown->push_back('^');
  shown->push_back(static_cast<char>(c ^ 0x40));
}

bool IsC1(unsigned char c) { return c >= 0x80 && c <= 0x9F; }

void AppendMeta(unsigned char c, std::string* shown) {
  shown->append("M-");
  AppendCaret(c & 0x7F, shown);
}

// The bytes that follow `c` in a UTF-8 character that it begins.
int ContinuationsAfter(unsigned char c) {
  if (c >= 0xC2 && c <= 0xDF) return 1;
  if (c >= 0xE0 && c <= 0xEF) return 2;
  if (c >= 0xF0 && c <= 0xF4) return 3;
  return 0;
}

}  // namespace

void TerminalEscaper::escape(const char* data, size_t size, std::string* shown) {
  for (size_t i = 0; i < size; ++i) {
    unsigned char c = static_cast<unsigned char>(data[i]);
    if (leadHeld_) {
      leadHeld_ = false;
      if (IsC1(c)) {
        AppendMeta(c, shown);
        continue;
      }
      shown->push_back(static_cast<char>(kC1Lead));
      continuations_ = 1;
    }
    if (c == kC1Lead) {
      leadHeld_ = true;
      continuations_ = 0;
    } else if (c >= 0x80 && c <= 0xBF && continuations_ > 0) {
      --continuations_;
      shown->push_back(static_cast<char>(c));
    } else {
      continuations_ = ContinuationsAfter(c);
      if (IsC1(c)) {
        AppendMeta(c, shown);
      } else if (IsC0Control(c)) {
        AppendCaret(c, shown);
      } else {
        shown->push_back(static_cast<char>(c));
      }
    }
  }
}

void TerminalEscaper::finish(std::string* shown) {
  if (leadHeld_) shown->push_back(static_cast<char>(kC1Lead));
  leadHeld_ = false;
  continuations_ = 0;
}

}  // namespace quintrel
