#include "analysis/profile_total.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace quintrel {
namespace {

struct TestClass {
  std::string name;
  std::vector<std::pair<int64_t, int64_t>> counts;
  int64_t exampleMs;  // -1: none
  std::string example;
};

// An input of a merge: its call classes, given as a whole profile (as a
// trace gives it) or in the parts a saved profile is read in.
struct TestInput {
  bool whole;
  std::vector<TestClass> classes;
};

MergeableProfile WholeProfile(const TestInput& input) {
  MergeableProfile profile;
  profile.traces = {SourceTrace{"t", 0, 0, {}}};
  for (const TestClass& entry : input.classes) {
    MergeableClass& row = profile.callClasses[entry.name];
    for (const auto& [ms, count] : entry.counts) row.durations.add(ms, count);
    row.fetches = 1;
    if (entry.exampleMs >= 0) row.example = Example{entry.example, entry.exampleMs, "7", "s"};
  }
  return profile;
}

void Fill(const TestInput& input, ClassBatch* batch) {
  batch->clear();
  for (const TestClass& entry : input.classes) {
    BatchClass read;
    read.name = batch->keep(entry.name);
    read.fetches = 1;
    read.firstCount = batch->counts.size();
    batch->counts.insert(batch->counts.end(), entry.counts.begin(), entry.counts.end());
    read.counts = entry.counts.size();
    if (entry.exampleMs >= 0)
      read.example = ExampleView{batch->keep(entry.example), "7", "s", entry.exampleMs};
    ASSERT_TRUE(batch->add(ClassBatch::kCallClasses, read));
  }
}

// name: count/total/max/fetches/example for every call class.
std::vector<std::string> Figures(const MergeableProfile& profile) {
  std::vector<std::string> figures;
  for (const auto& [name, row] : profile.callClasses) {
    figures.push_back(name + ": " + std::to_string(row.durations.count()) + "/" +
                      std::to_string(row.durations.totalMs()) + "/" +
                      std::to_string(row.durations.percentile(100)) + "/" +
                      std::to_string(row.fetches) + "/" + row.example.text + "@" +
                      std::to_string(row.example.ms));
    for (const auto& [ms, count] : row.durations.sortedCounts()) {
      figures.back() += " " + std::to_string(ms) + "x" + std::to_string(count);
    }
  }
  return figures;
}

TEST(ProfileTotalTest, MergesClassesAsMergingWholeProfilesDoes) {
  const TestClass a{"a", {{1, 2}, {70, 1}}, 70, "a1"};
  const TestClass a2{"a", {{1, 1}, {70, 3}, {900, 1}}, 70, "a2"};  // an equal example
  const TestClass b{"b", {{5, 1}}, -1, ""};
  const TestClass b2{"b", {{64, 2}}, 64, "b2"};
  const TestClass c{"c", {{100000, 1}}, 100000, "c"};
  const TestClass a3{"a", {{0, 4}, {1, 1}, {70, 2}, {900, 1}, {5000, 7}}, 5000, "a3"};
  const TestClass a4{"a", {{2, 1}, {70, 1}, {71, 3}, {6000, 1}}, 6000, "a4"};
  const TestClass a5{"a", {{900, 2}, {1000000, 1}}, 1000000, "a5"};
  const std::vector<std::vector<TestInput>> kRuns = {
      {{false, {a, b}}},                                               // the first as it is
      {{false, {a, b}}, {false, {a2, b2}}},                            // the same places
      {{false, {a, b}}, {false, {b2, c}}, {false, {a2, b, c}}},        // places shifted
      {{true, {a}}, {false, {a2, b}}, {true, {c}}, {false, {b2, c}}},  // whole ones between
      {{false, {}}, {false, {c}}, {false, {}}, {false, {a, c}}},
      // Durations all there already, then some before, among and after
      // them, then one there and one not, a whole profile between.
      {{false, {a3}}, {false, {a}}, {false, {a4}}, {false, {a5}}, {true, {a4}}, {false, {a3}}},
      {{false, {a5}}, {false, {a3}}, {false, {a3}}, {false, {a4, b}}, {false, {a, b2}}},
  };
  for (size_t run = 0; run < std::size(kRuns); ++run) {
    ProfileTotal total;
    MergeableProfile expected, rest;
    ClassBatch batch;
    for (size_t at = 0; at < kRuns[run].size(); ++at) {
      const TestInput& input = kRuns[run][at];
      MergeableProfile whole = WholeProfile(input);
      if (input.whole) {
        total.add(whole);
      } else {
        Fill(input, &batch);
        rest = WholeProfile(TestInput{true, {}});
        total.add(&rest, batch);
      }
      if (at == 0) {
        expected = whole;
      } else {
        expected.merge(whole);
      }
    }
    MergeableProfile got = total.take();
    EXPECT_EQ(Figures(got), Figures(expected)) << "run " << run;
    EXPECT_EQ(got.traces.size(), kRuns[run].size()) << "run " << run;
    EXPECT_TRUE(total.empty());
  }
}

}  // namespace
}  // namespace quintrel
