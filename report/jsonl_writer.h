// JsonlWriter: the JSONL listing, one JSON object per call on a line of its
// own, for jq, databases and spreadsheets:
//   {"thread":"3412","start":"2003-08-06T14:03:20.118000","durationMs":412,
//    "roundTrips":3,"api":"connect","args":["repo01","admin","","",""],
//    "query":null,"session":"s0","class":"3f2a9c01b2d4","queryClass":null}
// "start" is null where the stamp names no valid date and time, and "stamp"
// then follows it with the stamp's text. Texts are written as valid UTF-8
// whatever bytes they hold. It does not own its stream; it owns the buffers
// it reuses from one call to the next.
#ifndef QUINTREL_REPORT_JSONL_WRITER_H_
#define QUINTREL_REPORT_JSONL_WRITER_H_

#include <map>
#include <ostream>
#include <string>
#include <string_view>

#include "analysis/anonymizer.h"
#include "analysis/class_id.h"
#include "analysis/fingerprint.h"
#include "analysis/query_tracker.h"
#include "parse/text_buffer.h"
#include "parse/trace_call.h"
#include "report/class_id_cache.h"
#include "report/json_text.h"

namespace quintrel {

// The length of "2003-08-06T14:03:22.".
constexpr size_t kIsoHead = 20;

class JsonlWriter {
 public:
  // `out` must outlive the writer. With `anonymize`, the arguments and the
  // query text are written as Anonymizer gives them, and the call class id
  // is that of the anonymized fingerprint, as the anonymized profile's.
  JsonlWriter(std::ostream* out, bool anonymize) : out_(out), anonymize_(anonymize) {}

  // Writes the object of `call`, which needs its API text with the lines
  // that continue a query and, for a connect call, its result text.
  void write(const TraceCall& call);

 private:
  void appendStart(std::string_view stamp);
  // Reads a stamp whose date and time are not the last one's: keeps them
  // formatted, and the stamp's text before its sub-second digits, which
  // go to `digits`. False where the stamp names no valid date and time.
  bool readStamp(std::string_view stamp, std::string_view* digits);
  // Where the query text of the call begins, npos where it is no query
  // call's, and in `role` what the call does to query tracking, as the
  // profile reads it. `name` is the API name of its API line.
  static size_t QueryStart(const TraceCall& call, std::string_view name, QueryTracker::Role* role);
  // The arguments and the query text of a call whose query begins at
  // `start`.
  void appendTexts(std::string_view apiText, size_t start);
  // The arguments of `callText` after its API name, as a JSON array.
  void appendArguments(std::string_view callText);
  // A text as a JSON string. Inline: every field of every call goes
  // through it.
  void appendString(std::string_view text) {
    if (text.size() >= kLargeText) {
      appendLargeString(text);
      return;
    }
    char* out = line_.room(text.size() * kJsonCharRoom + 2);
    *out++ = '"';
    out = WriteJsonChars(text, out);
    *out++ = '"';
    line_.commit(out);
  }
  // A text of any length as a JSON string, written out a piece at a time
  // when it is large, so that the buffer stays bounded.
  void appendLargeString(std::string_view text);
  // The call's class id and the class id of the query it makes count, as
  // the profile counts queries: a query call's own, and an execquery's on
  // the getlastcoll that names its collection. `queryStart` is where the
  // call's query text begins, npos where it has none.
  void appendClasses(const TraceCall& call, QueryTracker::Role role, size_t queryStart);
  // Keeps the query class id of an execquery for its connection.
  void keepExecQueryClass(const TraceCall& call, size_t queryStart);
  // The id kept for the connection of a getlastcoll, or null.
  void appendExecQueryClass(std::string_view apiText);
  // The query class id of a call that starts a query.
  void appendQueryClassId(const TraceCall& call, size_t queryStart);
  // The class id of a call text or of a query text glued at `glued`.
  void appendClassId(ClassKind kind, std::string_view text, size_t glued);
  // Hands what the line holds to the stream.
  void writeOut();
  // The session a call used: its first argument, or the handle a connect
  // call's result names. `name` is the call's API name.
  static std::string_view SessionOf(const TraceCall& call, std::string_view name);

  std::ostream* out_;
  bool anonymize_;
  Anonymizer anonymizer_;       // for the arguments, then the call class
  Anonymizer queryAnonymizer_;  // for the query text, whose view lives beside theirs
  TextBuffer line_;             // the object being written
  std::string fingerprint_;     // reused for the query class ids
  char callFingerprint_[kCallFingerprintRoom];
  ClassIdCache callIds_;
  ClassIdCache queryIds_;
  // Per connection: the query class of its last execquery, which counts
  // once a getlastcoll names its collection.
  std::map<std::string, std::string, std::less<>> execQueryClasses_;
  // The last valid stamp's text before its sub-second number (empty where
  // it has none), and its date and time as "2003-08-06T14:03:22.".
  std::string stampHead_;
  char isoHead_[kIsoHead] = {};
};

}  // namespace quintrel

#endif  // QUINTREL_REPORT_JSONL_WRITER_H_
