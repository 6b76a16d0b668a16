#include "output/terminal_escaper.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quintrel {
namespace {

std::string EscapeInPieces(const std::vector<std::string>& pieces) {
  TerminalEscaper escaper;
  std::string shown;
  for (const std::string& piece : pieces) escaper.escape(piece.data(), piece.size(), &shown);
  escaper.finish(&shown);
  return shown;
}

TEST(TerminalEscaper, ShowsControlsAndKeepsText) {
  struct Case {
    std::vector<std::string> pieces;
    std::string shown;
  } cases[] = {
      {{"plain\ttext\n"}, "plain\ttext\n"},
      {{"\x1b[31mred\x01\x7f\r"}, "^[[31mred^A^?^M"},
      {{std::string("a\0b", 3)}, "a^@b"},
      // C1 controls as UTF-8 encodes them, whole or split between pieces.
      {{"\xc2\x9b"
        "31m"},
       "M-^[31m"},
      {{"x\xc2", "\x80y"}, "xM-^@y"},
      {{"\xc2\x9f"}, "M-^_"},
      // Other characters beginning with C2 stay, as does other UTF-8.
      {{"\xc2\xa0\xc3\xa9"}, "\xc2\xa0\xc3\xa9"},
      {{"\xe2\x80\x94 \xf0\x9f\x98\x80"}, "\xe2\x80\x94 \xf0\x9f\x98\x80"},
      {{"\xe2", "\x80", "\x94"}, "\xe2\x80\x94"},
      // A byte 0x80-0x9f that continues no character is a C1 control to an
      // 8-bit terminal (0x9b is CSI); bytes 0xa0-0xff that are no UTF-8 stay.
      {{"\x9b"
        "31m"},
       "M-^[31m"},
      {{"\xc3\xa9\x9b\xa0\xff"}, "\xc3\xa9M-^[\xa0\xff"},
      {{"\xe2\x80\x94\x94"}, "\xe2\x80\x94M-^T"},
      {{"\xe2"
        "a\x85"},
       "\xe2"
       "aM-^E"},
      {{"\xc2", "\xa9"}, "\xc2\xa9"},
      {{"\xc2\xc2\x85"}, "\xc2M-^E"},
      // A lead byte at the very end is kept.
      {{"end\xc2"}, "end\xc2"},
      {{"", "\xc2", ""}, "\xc2"},
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeInPieces(c.pieces), c.shown) << c.shown;
}

}  // namespace
}  // namespace quintrel
