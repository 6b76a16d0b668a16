// MergeInput: what one input of a merge gives, made on the thread that read
// it and merged on the one that merges: a trace's mergeable profile, or a
// saved profile read in the two parts ProfileTotal::add takes, whose
// classes are views into its document. It changes threads whole and is
// reused from one input to the next, keeping its buffers. It owns all it
// holds.
#ifndef QUINTREL_CLI_MERGE_INPUT_H_
#define QUINTREL_CLI_MERGE_INPUT_H_

#include <memory>
#include <string>

#include "analysis/class_batch.h"
#include "analysis/mergeable_profile.h"

namespace quintrel {

struct MergeInput {
  bool saved = false;                         // a saved profile, read into text, rest and classes
  std::shared_ptr<MergeableProfile> profile;  // a trace's
  // The buffer the saved profile's document was read into, at its start;
  // it stays as it is until the classes are merged.
  std::string text;
  MergeableProfile rest;
  ClassBatch classes;
};

}  // namespace quintrel

#endif  // QUINTREL_CLI_MERGE_INPUT_H_
