// The saved profile (-s PROFILE): a MergeableProfile as one compact UTF-8
// JSON document of the "quintrel-saved-profile" format, version 3
// (docs/quintrel-saved-profile.schema.json), in a zstd frame where the build
// has zstd (report/profile_frame.h), which SavedProfileReader reads back
// figure for figure once the trace reader has decompressed it (`zstd -dc`
// shows the document). Every class is kept with its histogram as a flat
// list of (milliseconds, count) pairs, so that its size grows with the
// classes and distinct durations, never with the calls; the frame takes the
// repetitions of fingerprints, examples and stamps out. The records that
// come by the thousand (classes, threads, sessions, buckets, the longest
// calls) are lists of their fields in a fixed order, not objects: a merge
// of many profiles spends its time reading them, and keys were a fifth of
// the document.
// Bytes of the trace that are not valid UTF-8 become U+FFFD.
#ifndef QUINTREL_REPORT_SAVED_PROFILE_WRITER_H_
#define QUINTREL_REPORT_SAVED_PROFILE_WRITER_H_

#include <ostream>

#include "analysis/mergeable_profile.h"

namespace quintrel {

// The format's name and the version this build writes; it reads every
// version up to this one.
constexpr char kSavedProfileFormat[] = "quintrel-saved-profile";
constexpr int kSavedProfileVersion = 3;

// Writes `profile` to `out`; throws std::runtime_error when it cannot be
// compressed.
void WriteSavedProfile(const MergeableProfile& profile, std::ostream& out);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_SAVED_PROFILE_WRITER_H_
