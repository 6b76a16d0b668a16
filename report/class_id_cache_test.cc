#include "report/class_id_cache.h"

#include <gtest/gtest.h>

#include <string>

namespace quintrel {
namespace {

const size_t kNone = std::string_view::npos;

TEST(ClassIdCacheTest, FindsWhatItKeptForTheSameTextAndMarkOnly) {
  ClassIdCache cache;
  EXPECT_EQ(cache.find("get,s0,x", kNone), "");
  cache.keep("get,s0,x", "0123456789ab");
  EXPECT_EQ(cache.find("get,s0,x", kNone), "0123456789ab");
  EXPECT_EQ(cache.find("get,s0,x", 3), "");
  EXPECT_EQ(cache.find("get,s0,y", kNone), "");
  EXPECT_EQ(cache.find("get,s0,x", kNone), "0123456789ab");
}

TEST(ClassIdCacheTest, KeepsNoLongTextAndOnlyAfterAMiss) {
  ClassIdCache cache;
  const std::string longText(ClassIdCache::kMaxText + 1, 'a');
  EXPECT_EQ(cache.find(longText, kNone), "");
  cache.keep(longText, "0123456789ab");
  EXPECT_EQ(cache.find(longText, kNone), "");
  cache.keep("next,s0,q0", "0123456789ab");  // no miss of it before
  EXPECT_EQ(cache.find("next,s0,q0", kNone), "");
}

// Texts that share a slot replace each other; each text keeps its own id.
TEST(ClassIdCacheTest, ManyTextsKeepTheirOwnIds) {
  ClassIdCache cache;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 3 * static_cast<int>(ClassIdCache::kSlots); ++i) {
      std::string text = "get,s0," + std::to_string(i);
      std::string id = std::to_string(100000000000 + i);
      std::string_view found = cache.find(text, kNone);
      if (found.empty()) {
        cache.keep(text, id);
      } else {
        EXPECT_EQ(found, id) << text;
      }
    }
  }
}

}  // namespace
}  // namespace quintrel
