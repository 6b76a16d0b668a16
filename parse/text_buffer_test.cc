#include "parse/text_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace quintrel {
namespace {

TEST(TextBufferTest, EditsTheText) {
  TextBuffer text;
  EXPECT_EQ(text.view(), "");
  text.assign("select");
  text.push_back(' ');
  text.append("name from item");
  EXPECT_EQ(text.view(), "select name from item");
  text.erasePrefix(7);
  EXPECT_EQ(text.view(), "name from item");
  text.truncate(4);
  EXPECT_EQ(text.view(), "name");
  text.truncate(40);  // never longer
  EXPECT_EQ(text.view(), "name");
  TextBuffer copy(text), moved(std::move(copy));
  text.append("s");
  EXPECT_EQ(moved.view(), "name");
  EXPECT_EQ(text.view(), "names");
  // Room made at the end, past what the buffer held, for the caller to fill.
  const std::string kMore(100, 'x');
  std::memcpy(text.extend(kMore.size()), kMore.data(), kMore.size());
  EXPECT_EQ(text.view(), "names" + kMore);
  text.erasePrefix(999);
  EXPECT_TRUE(text.empty());
}

TEST(TextBufferTest, KeepsSmallMemoryAndReleasesLarge) {
  TextBuffer text;
  text.assign(std::string(1000, 'x'));
  size_t small = text.capacity();
  text.clear();
  EXPECT_EQ(text.capacity(), small);
  text.assign(std::string(1 << 20, 'x'));
  text.clear();
  EXPECT_EQ(text.capacity(), 0u);
  // Growing in small steps stays linear in the number of reallocations.
  size_t grown = 0, last = 0;
  for (int i = 0; i < (1 << 20); ++i) {
    text.push_back('y');
    if (text.capacity() != last) ++grown, last = text.capacity();
  }
  EXPECT_LT(grown, 40u);
  EXPECT_LE(text.capacity(), size_t{3} << 19);
}

}  // namespace
}  // namespace quintrel
