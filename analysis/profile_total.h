// ProfileTotal: the running total of a merge of many profiles, in the order
// they are given. Besides the merged MergeableProfile it keeps an index of
// its classes by name, so that the classes of a saved profile, read as a
// ClassBatch, go straight into the total's rows: one look-up per class, no
// map of the profile's own. What it gives is what MergeableProfile::merge
// of the same profiles in the same order gives. It owns the profile and the
// index, which points into the profile's class maps.
#ifndef QUINTREL_ANALYSIS_PROFILE_TOTAL_H_
#define QUINTREL_ANALYSIS_PROFILE_TOTAL_H_

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
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
  using Rows = std::unordered_map<std::string_view, MergeableClass*>;
  Classes* classes(ClassBatch::List list);
  void index();
  void addClasses(const ClassBatch& batch, ClassBatch::List list);
  // The total's row of the `at`-th class of a list, named `name`.
  MergeableClass* row(ClassBatch::List list, size_t at, std::string_view name);

  MergeableProfile profile_;
  bool started_ = false;
  bool indexed_ = false;  // rows_ names every class of profile_
  Rows rows_[ClassBatch::kLists];
  // Per list, the row of each class of the profile added last, in its
  // order: profiles of the same application mostly hold the same classes,
  // so the class at the same place is most often the one wanted, found
  // without hashing its name.
  std::vector<Rows::value_type*> last_[ClassBatch::kLists];
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_PROFILE_TOTAL_H_
