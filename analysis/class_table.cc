#include "analysis/class_table.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "analysis/freed_memory.h"

namespace quintrel {

namespace {

// Released chunks of classes between releases of their memory to the
// system. The chunks a table releases while its rows are made lie among
// memory still in use, where the allocator keeps them for its own reuse,
// which the rows, made in one large block elsewhere, never ask for: they are
// handed back now and then instead, so that the process holds no more than
// the table's rest and the rows.
const uint32_t kChunksPerTrim = 128;

}  // namespace

uint32_t ClassTable::lookUp(std::string_view name, uint64_t hash) {
  bool added;
  uint32_t number = names_.numberOf(name, hash, &added);
  if (added && (number & (kChunk - 1)) == 0) chunks_.push_back(std::make_unique<Class[]>(kChunk));
  if (name.size() <= kRecentName) {
    Recent& recent = recent_[hash >> (64 - kRecentBits)];
    recent.hash = hash;
    recent.number = number;
    recent.size = static_cast<uint32_t>(name.size());
    CopyText(name, recent.name);
  }
  return number;
}

void ClassTable::KeepExample(Class* group, ClassMember member) {
  std::string_view text = member.text.substr(0, kMaxExample);
  group->exampleTexts.assign(text);
  group->exampleTexts.append(member.thread);
  group->exampleTexts.append(member.start);
  group->exampleMs = member.ms;
  group->exampleTextSize = static_cast<uint32_t>(text.size());
  group->exampleThreadSize = static_cast<uint32_t>(member.thread.size());
}

void ClassTable::addDurationsToGroups() {
  for (uint32_t number = 0; number < names_.size(); ++number) {
    Class* entry = at(number);
    if (entry->group != nullptr) entry->group->durations.merge(entry->durations);
  }
}

Example ClassTable::ExampleOf(const Class& entry) {
  std::string_view texts = entry.exampleTexts;
  return Example{std::string(texts.substr(0, entry.exampleTextSize)), entry.exampleMs,
                 std::string(texts.substr(entry.exampleTextSize, entry.exampleThreadSize)),
                 std::string(texts.substr(entry.exampleTextSize + entry.exampleThreadSize))};
}

void ClassTable::release(uint32_t number) {
  *at(number) = Class();
  if ((number & (kChunk - 1)) != kChunk - 1) return;
  chunks_[number >> kChunkBits].reset();
  if ((number >> kChunkBits) % kChunksPerTrim == kChunksPerTrim - 1) FreedMemory::Return();
}

void ClassTable::moveInto(std::map<std::string, MergeableClass>* classes) {
  for (uint32_t number = 0; number < names_.size(); ++number) {
    Class& entry = *at(number);
    (*classes)[std::string(names_.text(number))] =
        MergeableClass{std::move(entry.durations), entry.fetches, ExampleOf(entry)};
    release(number);
  }
  *this = ClassTable();
}

DurationHistogram ClassTable::mergedDurations() const {
  DurationHistogram merged;
  for (uint32_t number = 0; number < names_.size(); ++number) {
    merged.merge(chunks_[number >> kChunkBits][number & (kChunk - 1)].durations);
  }
  return merged;
}

int64_t ClassTable::count() const {
  int64_t count = 0;
  for (uint32_t number = 0; number < names_.size(); ++number) {
    count += chunks_[number >> kChunkBits][number & (kChunk - 1)].durations.count();
  }
  return count;
}

std::vector<ClassRow> ClassTable::takeRows() {
  std::vector<ClassRow> rows;
  rows.reserve(names_.size());
  for (uint32_t number = 0; number < names_.size(); ++number) {
    const Class& entry = *at(number);
    rows.push_back(ClassRow{std::string(names_.text(number)), entry.durations.stats(),
                            entry.fetches, ExampleOf(entry)});
    release(number);
  }
  *this = ClassTable();
  RankRows(&rows);
  return rows;
}

void RankRows(std::vector<ClassRow>* rows) {
  std::sort(rows->begin(), rows->end(), [](const ClassRow& a, const ClassRow& b) {
    return std::make_tuple(-a.stats.totalMs, -a.stats.count, std::string_view(a.name)) <
           std::make_tuple(-b.stats.totalMs, -b.stats.count, std::string_view(b.name));
  });
}

}  // namespace quintrel
