#include "analysis/class_table.h"

#include <algorithm>
#include <tuple>

namespace quintrel {

ClassTable::Class* ClassTable::classOf(std::string_view name) {
  key_.assign(name);
  auto found = classes_.find(key_);
  if (found == classes_.end()) found = classes_.emplace(key_, Class()).first;
  return &found->second;
}

void ClassTable::Add(Class* group, const ClassMember& member, bool keepExamples) {
  Class& entry = *group;
  entry.durations.add(member.ms);
  entry.fetches += member.fetches;
  if (keepExamples && member.ms > entry.example.ms) {
    entry.example.text.assign(member.text.substr(0, kMaxExample));
    entry.example.ms = member.ms;
    entry.example.thread.assign(member.thread);
    entry.example.start.assign(member.start);
  }
}

std::vector<ClassRow> ClassTable::ranked() const {
  std::vector<ClassRow> rows;
  rows.reserve(classes_.size());
  for (const auto& [name, entry] : classes_) {
    rows.push_back(ClassRow{name, entry.durations.stats(), entry.fetches, entry.example});
  }
  RankRows(&rows);
  return rows;
}

int64_t ClassTable::countBetween(int64_t low, int64_t high) const {
  int64_t count = 0;
  for (const auto& entry : classes_) count += entry.second.durations.countBetween(low, high);
  return count;
}

void RankRows(std::vector<ClassRow>* rows) {
  std::sort(rows->begin(), rows->end(), [](const ClassRow& a, const ClassRow& b) {
    return std::make_tuple(-a.stats.totalMs, -a.stats.count, std::string_view(a.name)) <
           std::make_tuple(-b.stats.totalMs, -b.stats.count, std::string_view(b.name));
  });
}

}  // namespace quintrel
