#include "analysis/class_table.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace quintrel {

uint32_t ClassTable::lookUp(std::string_view name, uint64_t hash) {
  bool added;
  uint32_t number = names_.numberOf(name, hash, &added);
  if (added) classes_.push_back(std::make_unique<Class>());
  if (name.size() <= kRecentName) {
    Recent& recent = recent_[hash >> (64 - kRecentBits)];
    recent.hash = hash;
    recent.number = number;
    recent.size = static_cast<uint32_t>(name.size());
    CopyText(name, recent.name);
  }
  return number;
}

void ClassTable::KeepExample(Class* group, const ClassMember& member) {
  Example& example = group->example;
  example.text.assign(member.text.substr(0, kMaxExample));
  example.ms = member.ms;
  example.thread.assign(member.thread);
  example.start.assign(member.start);
}

void ClassTable::addDurationsToGroups() {
  for (const std::unique_ptr<Class>& entry : classes_) {
    if (entry->group != nullptr) entry->group->durations.merge(entry->durations);
  }
}

void ClassTable::moveInto(std::map<std::string, MergeableClass>* classes) {
  for (uint32_t number = 0; number < classes_.size(); ++number) {
    Class& entry = *classes_[number];
    (*classes)[names_.text(number)] =
        MergeableClass{std::move(entry.durations), entry.fetches, std::move(entry.example)};
    // Released at once, so that the table and the map are not held whole
    // together.
    classes_[number].reset();
  }
  *this = ClassTable();
}

void ClassTable::takeRows(std::vector<ClassRow>* rows) {
  std::vector<std::string> names = names_.takeTexts();
  rows->reserve(rows->size() + names.size());
  for (uint32_t number = 0; number < names.size(); ++number) {
    Class& entry = *classes_[number];
    rows->push_back(ClassRow{std::move(names[number]), entry.durations.stats(), entry.fetches,
                             std::move(entry.example)});
    classes_[number].reset();
  }
  *this = ClassTable();
}

void RankRows(std::vector<ClassRow>* rows) {
  // The rows' places are sorted, not the rows: a row holds four strings, and
  // moving it at every step of the sort cost more than the comparisons.
  std::vector<uint32_t> order(rows->size());
  for (uint32_t at = 0; at < order.size(); ++at) order[at] = at;
  const std::vector<ClassRow>& unranked = *rows;
  std::sort(order.begin(), order.end(), [&unranked](uint32_t x, uint32_t y) {
    const ClassRow &a = unranked[x], &b = unranked[y];
    return std::make_tuple(-a.stats.totalMs, -a.stats.count, std::string_view(a.name)) <
           std::make_tuple(-b.stats.totalMs, -b.stats.count, std::string_view(b.name));
  });
  // Each row moves once along its cycle of the permutation, in place: a
  // second vector of the rows would double them at the end of a run with
  // many classes.
  for (uint32_t start = 0; start < order.size(); ++start) {
    if (order[start] == start) continue;
    ClassRow moving = std::move((*rows)[start]);
    uint32_t at = start;
    while (order[at] != start) {
      uint32_t from = order[at];
      (*rows)[at] = std::move((*rows)[from]);
      order[at] = at;
      at = from;
    }
    (*rows)[at] = std::move(moving);
    order[at] = at;
  }
}

}  // namespace quintrel
