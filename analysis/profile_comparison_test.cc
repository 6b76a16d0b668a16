#include "analysis/profile_comparison.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quintrel {
namespace {

ClassRow Row(const std::string& name, int64_t count, int64_t totalMs, int64_t p95Ms) {
  ClassRow row;
  row.name = name;
  row.stats.count = count;
  row.stats.totalMs = totalMs;
  row.stats.p95Ms = p95Ms;
  return row;
}

TEST(ProfileComparisonTest, ScalesTheBaseAndRanksByTheChange) {
  ProfileAnalytics base, current;
  base.elapsedMs = 1000;
  current.elapsedMs = 2000;  // twice as long: the base's totals count twice
  base.apis = {Row("get", 10, 100, 20), Row("gone", 1, 50, 50)};
  current.apis = {Row("get", 20, 200, 20), Row("new", 1, 30, 30)};
  base.queryClasses = {Row("select ?", 5, 100, 40)};
  current.queryClasses = {Row("select ?", 5, 400, 120)};
  ProfileComparison comparison = CompareProfiles(base, current);
  EXPECT_DOUBLE_EQ(comparison.scale, 2.0);
  EXPECT_EQ(comparison.newClasses, 1u);
  EXPECT_EQ(comparison.goneClasses, 1u);
  std::vector<std::string> order;
  for (const ComparedClass& entry : comparison.classes) {
    order.push_back(std::string(KindName(entry.kind)) + " " + entry.name + " " +
                    std::to_string(int64_t(entry.changeMs)) + " " + P95RatioText(entry));
  }
  EXPECT_EQ(order, (std::vector<std::string>{"query select ? 200 3.00", "api gone -100 gone",
                                             "api new 30 new", "api get 0 1.00"}));
}

TEST(ProfileComparisonTest, UnknownElapsedTimesCountAsEqual) {
  ProfileAnalytics base, current;
  current.elapsedMs = 5000;
  base.apis = {Row("get", 1, 10, 0)};
  current.apis = {Row("get", 1, 10, 10)};
  ProfileComparison comparison = CompareProfiles(base, current);
  EXPECT_DOUBLE_EQ(comparison.scale, 1.0);
  ASSERT_EQ(comparison.classes.size(), 1u);
  EXPECT_EQ(comparison.classes[0].changeMs, 0.0);
  EXPECT_EQ(P95RatioText(comparison.classes[0]), "-");  // the base's p95 is 0
}

}  // namespace
}  // namespace quintrel
