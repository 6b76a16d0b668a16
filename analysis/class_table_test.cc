#include "analysis/class_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quintrel {
namespace {

// More names than the table keeps of those met lately, so that they share
// its slots: short ones, ones of the longest length kept and one byte
// longer, long ones, and names that differ only in a last zero byte or in
// length. Looked up again and again in another order, each keeps the number
// it got first.
TEST(ClassTableTest, NumbersEveryNameApartWhateverItsLength) {
  std::vector<std::string> names;
  for (int n = 0; n < 600; ++n) {
    std::string name = "get,?," + std::to_string(n);
    size_t lengths[] = {name.size(), 48, 49, 300};
    name.resize(lengths[n % 4], 'x');
    names.push_back(name);
  }
  names.push_back(std::string("get,?,1\0", 8));
  names.push_back("get,?,1x");
  ClassTable table;
  for (size_t n = 0; n < names.size(); ++n) EXPECT_EQ(table.numberOf(names[n]), n) << n;
  for (int round = 0; round < 3; ++round) {
    for (size_t step = 0; step < names.size(); ++step) {
      size_t n = (step * 7 + static_cast<size_t>(round)) % names.size();
      EXPECT_EQ(table.numberOf(names[n]), n) << n;
    }
  }
  table.add(names[5], ClassMember{12, 0, "text", "t", "s"}, true);
  EXPECT_EQ(table.classOf(names[5])->durations.count(), 1);
  EXPECT_EQ(table.classOf(names[6])->durations.count(), 0);
}

// Rows are ranked by total time, then count, both descending, then name;
// enough of them that the sort does more than insert them one by one.
TEST(ClassTableTest, RanksRowsByTimeThenCountThenName) {
  std::vector<ClassRow> rows;
  std::vector<std::string> expected;
  for (int n = 0; n < 40; ++n) {
    ClassRow row;
    row.name = "class" + std::to_string(1000 + (n * 17) % 40);
    row.stats.totalMs = (n * 17) % 40 / 4;  // four rows a total
    row.stats.count = (n * 17) % 40 % 2;
    row.example.text = "example of " + row.name;
    rows.push_back(row);
  }
  RankRows(&rows);
  for (int n = 39; n >= 0; n -= 4) {
    // Within a total: the odd counts before the even ones, each by name.
    for (int k : {n - 2, n, n - 3, n - 1}) expected.push_back("class" + std::to_string(1000 + k));
  }
  std::vector<std::string> ranked;
  for (const ClassRow& row : rows) {
    ranked.push_back(row.name);
    EXPECT_EQ(row.example.text, "example of " + row.name);
  }
  EXPECT_EQ(ranked, expected);
}

}  // namespace
}  // namespace quintrel
