#include "analysis/thread_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quintrel {
namespace {

// Ids short enough to be found by their bytes as one word, ids that differ
// only in a trailing zero byte or in length, and longer ids, interleaved as
// the threads of a trace are: each keeps its number, count and stamps.
TEST(ThreadTableTest, NumbersEveryIdApartWhateverItsLength) {
  const std::vector<std::string> kIds = {
      "7", "78724", std::string("ab\0", 3), "ab", "12345678", "123456789", "", "a long thread id",
  };
  ThreadTable table;
  for (int round = 0; round < 3; ++round) {
    for (size_t n = 0; n < kIds.size(); ++n) {
      std::string stamp =
          "Wed Aug  6 09:00:0" + std::to_string(round) + " 2003 00000" + std::to_string(n);
      EXPECT_EQ(table.add(kIds[n], static_cast<int64_t>(n), stamp), n) << n;
    }
  }
  std::vector<ThreadRow> rows = table.takeRows();
  ASSERT_EQ(rows.size(), kIds.size());
  EXPECT_EQ(table.size(), 0u);
  EXPECT_EQ(table.find(kIds[0]), ThreadTable::kNone);
  for (size_t n = 0; n < kIds.size(); ++n) {
    EXPECT_EQ(rows[n].id, kIds[n]);
    EXPECT_EQ(rows[n].calls, 3);
    EXPECT_EQ(rows[n].dmclMs, 3 * static_cast<int64_t>(n));
    EXPECT_EQ(rows[n].first, "Wed Aug  6 09:00:00 2003 00000" + std::to_string(n));
    EXPECT_EQ(rows[n].last, "Wed Aug  6 09:00:02 2003 00000" + std::to_string(n));
  }
}

}  // namespace
}  // namespace quintrel
