#include "analysis/class_id.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quintrel {
namespace {

// Ids are kept in tickets and compared across runs and machines: they must
// never change. The expected values were computed apart from this code.
TEST(ClassIdTest, IsTheSameEverywhereAndTellsKindsApart) {
  struct Case {
    ClassKind kind;
    std::string fingerprint;
    std::string id;
  } cases[] = {
      {ClassKind::kQuery, "select ? from dm_document where r_object_id = ?", "4a1299ceeb22"},
      {ClassKind::kCall, "getlastcoll,?", "86a1c69184a5"},
      {ClassKind::kQuery, "", "3456eecf18d3"},
      {ClassKind::kCall, "", "ab180bcd824f"},
      {ClassKind::kCall, "next,?,q4", "a7a8ad5dd8c5"},
      {ClassKind::kCall, "next,?,q0", "37dbae50ef29"},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassId(c.kind, c.fingerprint), c.id) << c.fingerprint;
}

TEST(ClassIdTest, NeighbouringFingerprintsGetDistinctIds) {
  std::set<std::string> ids;
  for (int i = 0; i < 20000; ++i) {
    std::string id = ClassId(ClassKind::kQuery, "select ? from t" + std::to_string(i));
    EXPECT_EQ(id.size(), kClassIdDigits);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 20000u);
}

}  // namespace
}  // namespace quintrel
