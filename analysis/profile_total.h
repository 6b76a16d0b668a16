// ProfileTotal: the running total of a merge of many profiles, in the order
// they are given. Besides the merged MergeableProfile it keeps an index of
// its classes by name, so that the classes of a saved profile, read as a
// ClassBatch, go straight into the total's rows: one look-up per class, no
// map of the profile's own. A row keeps the (duration, count) pairs added
// that way as one ascending list, which takes the next profile's pairs in a
// single pass (in place where it holds all their durations already, as the
// profiles of one application mostly do), and goes into the class's
// histogram when the total is taken. What it gives is what
// MergeableProfile::merge of the same profiles in the same order gives. It
// owns the profile and the index, which points into the profile's class
// maps.
#ifndef QUINTREL_ANALYSIS_PROFILE_TOTAL_H_
#define QUINTREL_ANALYSIS_PROFILE_TOTAL_H_

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "analysis/class_batch.h"
#include "analysis/mergeable_profile.h"

namespace quintrel {

class ProfileTotal {
 public:
  // Adds `profile`: the first one as it is, later ones merged into it.
  void add(MergeableProfile profile);
  // Adds a profile read in two parts: `rest`, all of it but its classes
  // (its class maps empty), and `classes`, whose views need last only for
  // the call. `rest` is left empty or as it was.
  void add(MergeableProfile* rest, const ClassBatch& classes);
  bool empty() const { return !started_; }
  // The total so far; leaves this empty.
  MergeableProfile take();

 private:
  using Classes = std::map<std::string, MergeableClass>;
  using Counts = std::vector<std::pair<int64_t, int64_t>>;
  // A class of the total, and the pairs added to it not yet in its
  // histogram.
  struct Row {
    MergeableClass* merged = nullptr;
    Counts counts;
  };
  using Rows = std::unordered_map<std::string_view, Row>;
  Classes* classes(ClassBatch::List list);
  // Puts the pairs the rows hold into their classes' histograms and drops
  // the index.
  void flush();
  void index();
  void addClasses(const ClassBatch& batch, ClassBatch::List list);
  // The total's row of the `at`-th class of a list, named `name`.
  Row* row(ClassBatch::List list, size_t at, std::string_view name);
  // Adds the ascending pairs [first, last) to the ascending `into`.
  void addCounts(const Counts::value_type* first, const Counts::value_type* last, Counts* into);

  MergeableProfile profile_;
  bool started_ = false;
  bool indexed_ = false;  // rows_ names every class of profile_
  Rows rows_[ClassBatch::kLists];
  // Per list, the row of each class of the profile added last, in its
  // order: profiles of the same application mostly hold the same classes,
  // so the class at the same place is most often the one wanted, found
  // without hashing its name.
  std::vector<Rows::value_type*> last_[ClassBatch::kLists];
  Counts spare_;  // room for a merge of two lists of pairs
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_PROFILE_TOTAL_H_
