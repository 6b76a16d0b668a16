// The saved profile reader as it was before the pull reader: the document
// parsed into nlohmann's tree, then read field by field. The tests and the
// fuzz target hold the pull reader (report/saved_profile_reader.h) against
// it: what one reads the other reads the same, what one refuses the other
// refuses. It reads version 1 only, the one before sessions were kept.
#ifndef QUINTREL_TESTS_SUPPORT_TREE_SAVED_PROFILE_READER_H_
#define QUINTREL_TESTS_SUPPORT_TREE_SAVED_PROFILE_READER_H_

#include <string>
#include <string_view>

#include "analysis/mergeable_profile.h"

namespace quintrel {

// As ReadSavedProfile, through a tree of the whole document.
bool ReadSavedProfileAsTree(std::string_view text, MergeableProfile* profile, std::string* error);

}  // namespace quintrel

#endif  // QUINTREL_TESTS_SUPPORT_TREE_SAVED_PROFILE_READER_H_
