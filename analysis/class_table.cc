#include "analysis/class_table.h"

#include <algorithm>
#include <tuple>

namespace quintrel {

ClassTable::Class* ClassTable::classOf(std::string_view name) {
  bool added;
  uint32_t number = names_.numberOf(name, &added);
  if (added) classes_.emplace_back();
  return &classes_[number];
}

void ClassTable::KeepExample(Class* group, const ClassMember& member) {
  Example& example = group->example;
  example.text.assign(member.text.substr(0, kMaxExample));
  example.ms = member.ms;
  example.thread.assign(member.thread);
  example.start.assign(member.start);
}

void ClassTable::addDurationsToGroups() {
  for (Class& entry : classes_) {
    if (entry.group != nullptr) entry.group->durations.merge(entry.durations);
  }
}

std::vector<ClassRow> ClassTable::ranked() const {
  std::vector<ClassRow> rows;
  rows.reserve(classes_.size());
  for (uint32_t number = 0; number < classes_.size(); ++number) {
    const Class& entry = classes_[number];
    rows.push_back(
        ClassRow{names_.text(number), entry.durations.stats(), entry.fetches, entry.example});
  }
  RankRows(&rows);
  return rows;
}

int64_t ClassTable::countBetween(int64_t low, int64_t high) const {
  int64_t count = 0;
  for (const Class& entry : classes_) count += entry.durations.countBetween(low, high);
  return count;
}

void RankRows(std::vector<ClassRow>* rows) {
  std::sort(rows->begin(), rows->end(), [](const ClassRow& a, const ClassRow& b) {
    return std::make_tuple(-a.stats.totalMs, -a.stats.count, std::string_view(a.name)) <
           std::make_tuple(-b.stats.totalMs, -b.stats.count, std::string_view(b.name));
  });
}

}  // namespace quintrel
