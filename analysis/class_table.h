// ClassTable: the members of classes (APIs, query classes, call classes),
// each class with the durations of its members and its worst member. It owns
// its classes, numbered by a TextIndex of their names, and copies of the
// short names met lately, which find most classes without the index.
#ifndef QUINTREL_ANALYSIS_CLASS_TABLE_H_
#define QUINTREL_ANALYSIS_CLASS_TABLE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/duration_histogram.h"
#include "analysis/mergeable_profile.h"
#include "analysis/profile_analytics.h"
#include "analysis/text_index.h"

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
  struct Class {
    DurationHistogram durations;
    int64_t fetches = 0;
    // The worst member, an Example kept in one string: its text (cut to
    // kMaxExample bytes), thread and start one after the other, so that it
    // costs one allocation, not three; ms -1 for none.
    std::string exampleTexts;
    int64_t exampleMs = -1;
    uint32_t exampleTextSize = 0;
    uint32_t exampleThreadSize = 0;
    // The class this one belongs to in another table (a call class's API),
    // for its owner to set and use.
    Class* group = nullptr;
  };

  // The number of the class `name`, made when new; `hash` is
  // HashText(name). Inline: every call and query looks up its class, most
  // of them one met lately.
  uint32_t numberOf(std::string_view name, uint64_t hash) {
    const Recent& recent = recent_[hash >> (64 - kRecentBits)];
    if (recent.hash == hash && recent.size == name.size() &&
        SameText(name, std::string_view(recent.name, recent.size))) {
      return recent.number;
    }
    return lookUp(name, hash);
  }
  uint32_t numberOf(std::string_view name) { return numberOf(name, HashText(name)); }
  // The class numbered `number`; it lives as long as the table.
  Class* at(uint32_t number) { return &chunks_[number >> kChunkBits][number & (kChunk - 1)]; }
  // The class `name`, made when new; it lives as long as the table.
  Class* classOf(std::string_view name) { return at(numberOf(name)); }
  // Adds `member` to `group`. With `keepExamples` the worst member of each
  // class is kept as its example.
  static void Add(Class* group, const ClassMember& member, bool keepExamples) {
    group->durations.add(member.ms);
    group->fetches += member.fetches;
    if (keepExamples && member.ms > group->exampleMs) KeepExample(group, member);
  }
  void add(std::string_view name, const ClassMember& member, bool keepExamples) {
    Add(classOf(name), member, keepExamples);
  }
  // Adds the durations of every class to its group, for groups whose
  // members are counted through their classes alone.
  void addDurationsToGroups();
  // Frees what finds a class by name, once the last class has been found:
  // only the operations below may follow.
  void stopLookups() {
    names_.dropLookup();
    std::vector<Recent>().swap(recent_);
  }
  // Moves every class into `classes`, by name, and leaves the table empty.
  void moveInto(std::map<std::string, MergeableClass>* classes);
  // The durations of every class in one histogram.
  DurationHistogram mergedDurations() const;
  // How many durations the classes count, all together.
  int64_t count() const;
  // The rows of every class, ranked (RankRows), taken from the table, which
  // is left empty: the classes are released a chunk at a time as their rows
  // are made, so that the two are not held whole together.
  std::vector<ClassRow> takeRows();

 private:
  // A class name of at most kRecentName bytes met lately, by its hash.
  static constexpr size_t kRecentName = 48;
  static constexpr int kRecentBits = 8;
  struct Recent {
    uint64_t hash = 0;
    uint32_t number = 0;
    uint32_t size = 0xFFFFFFFF;  // none
    char name[kRecentName];
  };
  // numberOf() of a name not met lately.
  uint32_t lookUp(std::string_view name, uint64_t hash);
  // By value: the member is made on the stack only for the few calls kept.
  static void KeepExample(Class* group, ClassMember member);
  static Example ExampleOf(const Class& entry);
  // Empties the class numbered `number`, after it has been moved, and
  // releases its chunk with the chunk's last class.
  void release(uint32_t number);

  // The classes by number, in chunks of kChunk that never move, so that a
  // class costs no allocation of its own and the table grows without
  // copying.
  static constexpr int kChunkBits = 8;
  static constexpr uint32_t kChunk = uint32_t{1} << kChunkBits;
  TextIndex names_;
  std::vector<std::unique_ptr<Class[]>> chunks_;
  std::vector<Recent> recent_ = std::vector<Recent>(size_t{1} << kRecentBits);
};

// Ranks rows by total time and count, both descending, then name.
void RankRows(std::vector<ClassRow>* rows);

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_CLASS_TABLE_H_
