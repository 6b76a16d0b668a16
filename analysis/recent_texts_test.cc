#include "analysis/recent_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/text_index.h"

namespace quintrel {
namespace {

// A text is found only with its own bytes, hash and mark; a text kept in
// the same slot takes it over; a text past kMaxText is not kept.
TEST(RecentTextsTest, FindsOnlyWhatWasKeptUnderTheSameTextAndMark) {
  const std::string kText = "select item_id from doc_item where owner_name = 'x'";
  const size_t kNoMark = std::string::npos;
  const std::string kLong(RecentTexts::kMaxText + 1, 'a');
  RecentTexts recent;
  uint64_t hash = HashText(kText);
  EXPECT_EQ(recent.find(kText, hash, kNoMark), RecentTexts::kNone);
  recent.keep(kText, hash, kNoMark, 7);
  recent.keep(kLong, HashText(kLong), kNoMark, 8);
  struct Case {
    std::string text;
    uint64_t hash;
    size_t mark;
    uint32_t expected;
  } cases[] = {
      {kText, hash, kNoMark, 7},
      {kText, hash, 6, RecentTexts::kNone},
      // Another text that happens to share the hash.
      {kText + " ", hash, kNoMark, RecentTexts::kNone},
      {kText, hash + 1, kNoMark, RecentTexts::kNone},
      {kLong, HashText(kLong), kNoMark, RecentTexts::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(recent.find(c.text, c.hash, c.mark), c.expected) << c.text << " " << c.mark;
  }
  recent.keep("other", hash, kNoMark, 9);
  EXPECT_EQ(recent.find(kText, hash, kNoMark), RecentTexts::kNone);
  EXPECT_EQ(recent.find("other", hash, kNoMark), 9u);
}

}  // namespace
}  // namespace quintrel
