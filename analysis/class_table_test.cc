#include "analysis/class_table.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
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

// Rows taken straight from the table are those of its classes moved into a
// map, ranked: over more classes than a chunk holds, with the worst member
// of each as its example, the earlier one among equals.
TEST(ClassTableTest, RowsTakenAreTheClassesMovedAndRanked) {
  auto fill = [](ClassTable* table) {
    for (int n = 0; n < 700; ++n) {
      const std::string name = "api" + std::to_string(n % 300);
      const std::string text = name + ",c," + std::to_string(n);
      table->add(name, ClassMember{n % 7, n % 3, text, std::to_string(n), "s" + text}, true);
    }
  };
  ClassTable taken, moved;
  fill(&taken);
  fill(&moved);
  EXPECT_EQ(taken.mergedDurations().count(), 700);
  EXPECT_EQ(taken.mergedDurations().countBetween(6, 7), 100);
  std::map<std::string, MergeableClass> classes;
  moved.moveInto(&classes);
  std::vector<ClassRow> expected;
  for (const auto& [name, entry] : classes) {
    expected.push_back(ClassRow{name, entry.durations.stats(), entry.fetches, entry.example});
  }
  RankRows(&expected);
  const std::vector<ClassRow> rows = taken.takeRows();
  ASSERT_EQ(rows.size(), 300u);
  for (size_t i = 0; i < rows.size(); ++i) {
    const ClassRow &got = rows[i], &want = expected[i];
    EXPECT_EQ(
        std::make_tuple(got.name, got.stats.count, got.stats.totalMs, got.stats.p95Ms, got.fetches,
                        got.example.text, got.example.ms, got.example.thread, got.example.start),
        std::make_tuple(want.name, want.stats.count, want.stats.totalMs, want.stats.p95Ms,
                        want.fetches, want.example.text, want.example.ms, want.example.thread,
                        want.example.start))
        << i;
  }
  EXPECT_EQ(taken.mergedDurations().count(), 0);
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
