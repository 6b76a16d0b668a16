#include "parse/thread_id_collector.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "parse/header_scanner.h"

namespace quintrel {
namespace {

// The ids of `lines` fed whole or, with a `pieceSize`, in pieces of that size.
std::set<std::string, std::less<>> IdsOf(const std::vector<std::string>& lines,
                                         size_t pieceSize = 0) {
  ThreadIdCollector collector;
  for (const std::string& line : lines) {
    if (pieceSize == 0) {
      collector.take(LinePiece{line, true, true});
      continue;
    }
    for (size_t at = 0; at == 0 || at < line.size(); at += pieceSize) {
      collector.take(LinePiece{std::string_view(line).substr(at, pieceSize), at == 0,
                               at + pieceSize >= line.size()});
    }
  }
  return collector.ids();
}

TEST(ThreadIdCollectorTest, KeepsTheIdOfEveryThreadMarkerOnceInByteOrder) {
  const std::string kLongest(kMaxHeaderField, '7'), kLonger(kMaxHeaderField + 1, '7');
  struct Case {
    std::vector<std::string> lines;
    std::set<std::string, std::less<>> ids;
  } cases[] = {
      {{}, {}},
      {{"# [ 12 ] rest", "# [ 3 ] x", "# [ 12 ]"}, {"12", "3"}},
      {{"# [ 012 ] a", "# [ 12 ] b"}, {"012", "12"}},
      // Not a marker: no digits, no " ]", not at the start, a tab; what
      // follows the " ]" does not matter.
      {{"# [  ] a", "# [ 12", "# [ 12x ]", " # [ 1 ] a", "#\t[ 1 ] a", "# [ 1 ]x"}, {"1"}},
      // Long ids, and lines that look like a marker for long; an id longer
      // than a header's is none.
      {{"# [ " + kLongest + " ] a", "# [ " + kLongest + "x ] a", "# [ " + kLongest}, {kLongest}},
      {{"# [ " + kLonger + " ] a", "# [ " + kLonger + " ]", "# [ " + kLonger}, {}},
      {{std::string(3000, 'x'), "# [ 5 ]", ""}, {"5"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IdsOf(c.lines), c.ids);
    for (size_t pieceSize : {1, 2, 3, 5, 64, 4096}) {
      SCOPED_TRACE(pieceSize);
      EXPECT_EQ(IdsOf(c.lines, pieceSize), c.ids);
    }
  }
}

// A line of 32 MB of digits after a thread marker, in pieces of 512 bytes:
// past a header's longest id it is no marker, and nothing more of it is
// kept or read.
TEST(ThreadIdCollectorTest, ALongRunOfDigitsIsNoMarker) {
  const std::string digits(32 << 20, '4');
  EXPECT_EQ(IdsOf({"# [ " + digits + " ] a", "# [ 1 ] b"}, 512),
            (std::set<std::string, std::less<>>{"1"}));
}

}  // namespace
}  // namespace quintrel
