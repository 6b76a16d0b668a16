#include "analysis/api_table.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "parse/text_buffer.h"

namespace quintrel {
namespace {

// Many names, short and large, empty and with bytes of every value, added
// in random order past several growths of the index: every row counts what
// a map of the names counts, in report order, after the table has moved.
TEST(ApiTableTest, CountsAsAMapOfTheNamesDoes) {
  std::vector<std::string> names = {"", std::string(kLargeText + 5, 'x'), std::string(3, '\0')};
  for (int i = 0; i < 5000; ++i) names.push_back("api" + std::to_string(i));
  for (int i = 0; i < 256; ++i) names.push_back(std::string(1 + i % 9, static_cast<char>(i)));
  std::mt19937 random(7);
  std::map<std::string, std::pair<int64_t, double>> expected;
  ApiTable table;
  for (int call = 0; call < 40000; ++call) {
    const std::string& name = names[random() % names.size()];
    const int64_t ms = random() % 4;
    table.add(name, ms);
    expected[name].first += 1;
    expected[name].second += static_cast<double>(ms);
  }
  table.sort();
  ApiTable moved(std::move(table));
  std::vector<std::tuple<double, std::string, int64_t>> ordered;
  for (const auto& [name, row] : expected) ordered.emplace_back(row.second, name, row.first);
  std::sort(ordered.begin(), ordered.end());
  ASSERT_EQ(moved.size(), ordered.size());
  for (size_t i = 0; i < ordered.size(); ++i) {
    EXPECT_EQ(moved[i].durationMs, std::get<0>(ordered[i])) << i;
    ASSERT_EQ(moved[i].apiName, std::get<1>(ordered[i])) << i;
    EXPECT_EQ(moved[i].frequency, std::get<2>(ordered[i])) << i;
  }
}

TEST(ApiTableTest, RowsGivenKeepCopiesOfTheirNames) {
  std::string name = "get";
  ApiTable table = {{1, 2.0, name}, {3, 4.0, "next"}};
  name = "xxx";
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0].apiName, "get");
  EXPECT_EQ(table.rbegin()->apiName, "next");
}

}  // namespace
}  // namespace quintrel
