// ClassTable: the members of classes (APIs, query classes, call classes),
// each class with the durations of its members and its worst member. It owns
// its classes, keyed by name.
#ifndef QUINTREL_ANALYSIS_CLASS_TABLE_H_
#define QUINTREL_ANALYSIS_CLASS_TABLE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/duration_histogram.h"
#include "analysis/profile_analytics.h"

namespace quintrel {

// A member as a class sees it.
struct ClassMember {
  int64_t ms = 0;
  int64_t fetches = 0;
  std::string_view text;  // for the example
  std::string_view thread;
  std::string_view start;
};

class ClassTable {
 public:
  // Adds `member` to the class `name`. With `keepExamples` the worst member
  // of each class is kept as its example.
  void add(std::string_view name, const ClassMember& member, bool keepExamples);
  size_t size() const { return classes_.size(); }
  // Every class with its statistics, ranked by total time and count (both
  // descending), then name.
  std::vector<ClassRow> ranked() const;
  // The durations of all members of all classes in [low, high).
  int64_t countBetween(int64_t low, int64_t high) const;

 private:
  struct Class {
    DurationHistogram durations;
    int64_t fetches = 0;
    Example example;
  };

  std::unordered_map<std::string, Class> classes_;
  std::string key_;  // reused lookup key
};

// Ranks rows by total time and count, both descending, then name.
void RankRows(std::vector<ClassRow>* rows);

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_CLASS_TABLE_H_
