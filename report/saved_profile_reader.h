// SavedProfileReader: reads the document SavedProfileWriter writes back into
// a MergeableProfile. Nothing is guessed: a document of another format or
// version, or one whose fields are missing, of the wrong kind or out of
// range (a histogram with a count of zero, a thread that does not exist, a
// bucket far outside the calendar), is refused with the reason. The caller
// caps the size of the text it hands over, which bounds what reading costs.
#ifndef QUINTREL_REPORT_SAVED_PROFILE_READER_H_
#define QUINTREL_REPORT_SAVED_PROFILE_READER_H_

#include <string>
#include <string_view>

#include "analysis/class_batch.h"
#include "analysis/mergeable_profile.h"

namespace quintrel {

// Whether `start`, the first bytes of an input, begin a saved profile: a
// '{' and the key "format", blanks allowed between them. A trace never does.
bool StartsLikeSavedProfile(std::string_view start);

// Reads the saved profile `text` into `profile` (replacing what it held).
// Returns false with the reason in `error` ("not a saved profile", "written
// by a later version of quintrel ...", "damaged: ..."). Every version up to
// this build's is read; a profile of version 1, or of version 3 with its
// sessions null, is read without its sessions (hasSessions false).
bool ReadSavedProfile(std::string_view text, MergeableProfile* profile, std::string* error);

// As above, in the two parts ProfileTotal::add takes: the classes into
// `classes` (cleared first; its views point into `text` or are kept by
// it), all the rest into `rest`, whose class maps stay empty. What a
// merge of many profiles reads each one with, reusing `classes` and
// `rest`.
bool ReadSavedProfile(std::string_view text, MergeableProfile* rest, ClassBatch* classes,
                      std::string* error);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_SAVED_PROFILE_READER_H_
