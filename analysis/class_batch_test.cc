#include "analysis/class_batch.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace quintrel {
namespace {

TEST(ClassBatchTest, RefusesANameTwiceInAnyOrder) {
  const std::vector<std::vector<std::string>> kLists = {
      {"a", "b", "a"}, {"b", "a", "b"}, {"a", "a"}, {"", ""}, {"c", "b", "a", "b"}};
  for (const auto& names : kLists) {
    ClassBatch batch;
    for (size_t at = 0; at < names.size(); ++at) {
      BatchClass entry;
      entry.name = names[at];
      EXPECT_EQ(batch.add(ClassBatch::kApis, entry), at + 1 < names.size()) << names[at];
    }
    BatchClass other;
    other.name = names[0];
    EXPECT_TRUE(batch.add(ClassBatch::kQueryClasses, other));  // another list
  }
}

TEST(ClassBatchTest, KeptTextsStayWhereTheyAre) {
  ClassBatch batch;
  std::vector<std::string_view> kept;
  for (int round = 0; round < 2; ++round) {
    batch.clear();
    kept.clear();
    for (int text = 0; text < 300; ++text) kept.push_back(batch.keep(std::to_string(text)));
    for (int text = 0; text < 300; ++text) EXPECT_EQ(kept[text], std::to_string(text));
  }
}

}  // namespace
}  // namespace quintrel
