#include "analysis/text_index.h"

#include <gtest/gtest.h>

#include <string>

namespace quintrel {
namespace {

// Texts of every length up to three words, read from the middle of a
// buffer, against copies with one byte changed at each place: the short
// texts' loads must see every byte and no byte past the end.
// Copies of every length around the widths CopyText moves at once, into the
// middle of a buffer: every byte lands, none around the copy is touched.
TEST(TextIndexTest, CopiesTextsOfEveryLength) {
  const std::string source = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJ";
  for (size_t length = 0; length <= 40; ++length) {
    std::string target(48, '.');
    char* end = CopyText(std::string_view(source).substr(1, length), &target[2]);
    EXPECT_EQ(end, &target[2] + length);
    EXPECT_EQ(target, ".." + source.substr(1, length) + std::string(46 - length, '.')) << length;
  }
}

TEST(TextIndexTest, EveryByteOfEveryLengthCounts) {
  const std::string buffer = "xx0123456789abcdefghijklmnopqrstuvwxyz";
  for (size_t length = 0; length <= 24; ++length) {
    std::string_view text = std::string_view(buffer).substr(2, length);
    std::string copy(text);
    EXPECT_TRUE(SameText(text, copy)) << length;
    EXPECT_EQ(HashText(text), HashText(copy)) << length;
    // What follows the text in its buffer does not count.
    std::string followed = copy + "!";
    EXPECT_TRUE(SameText(text, std::string_view(followed).substr(0, length))) << length;
    EXPECT_EQ(HashText(text), HashText(std::string_view(followed).substr(0, length))) << length;
    for (size_t at = 0; at < length; ++at) {
      std::string changed = copy;
      changed[at] = static_cast<char>(changed[at] ^ 0x40);
      EXPECT_FALSE(SameText(text, changed)) << length << " " << at;
      EXPECT_NE(HashText(text), HashText(changed)) << length << " " << at;
    }
    EXPECT_FALSE(SameText(text, copy + "0")) << length;
  }
}

TEST(TextIndexTest, NumbersTextsInTheOrderFirstSeen) {
  TextIndex index;
  EXPECT_EQ(index.find(""), TextIndex::kNone);
  const char* const kTexts[] = {"fetch,?,?", "", "36915", "fetch,?,?,x", "36915", "", "a"};
  const uint32_t kNumbers[] = {0, 1, 2, 3, 2, 1, 4};
  const bool kAdded[] = {true, true, true, true, false, false, true};
  for (size_t i = 0; i < std::size(kTexts); ++i) {
    bool added;
    EXPECT_EQ(index.numberOf(kTexts[i], &added), kNumbers[i]) << kTexts[i];
    EXPECT_EQ(added, kAdded[i]) << kTexts[i];
  }
  EXPECT_EQ(index.size(), 5u);
  EXPECT_EQ(index.text(3), "fetch,?,?,x");
  // Past the first growth of its slots, every text is still found.
  for (int i = 0; i < 1000; ++i) {
    bool added;
    index.numberOf("t" + std::to_string(i), &added);
  }
  for (int i = 0; i < 1000; i += 7) {
    bool added;
    EXPECT_EQ(index.numberOf("t" + std::to_string(i), &added), uint32_t(5 + i));
    EXPECT_FALSE(added);
    EXPECT_EQ(index.find("t" + std::to_string(i)), uint32_t(5 + i));
  }
  EXPECT_EQ(index.find("t1000"), TextIndex::kNone);
}

}  // namespace
}  // namespace quintrel
