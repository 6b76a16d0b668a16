// Analytics: gathers where the time of a trace went, for the reports that
// show it: per API, query class and call class the durations and the worst
// member, per thread the calls and time, and the timeline. It takes the
// accepted calls and, as a QueryRecordSink, the completed queries, and owns
// everything it gathered until it moves it into a Profile.
#ifndef QUINTREL_ANALYSIS_ANALYTICS_H_
#define QUINTREL_ANALYSIS_ANALYTICS_H_

#include <cstdint>
#include <string>

#include "analysis/call_span.h"
#include "analysis/class_table.h"
#include "analysis/fingerprint.h"
#include "analysis/profile.h"
#include "analysis/query_record.h"
#include "analysis/recent_calls.h"
#include "analysis/recent_texts.h"
#include "analysis/session_table.h"
#include "analysis/stamp_clock.h"
#include "analysis/thread_table.h"
#include "analysis/timeline.h"
#include "parse/trace_call.h"

namespace quintrel {

// What the analytics read of an accepted call; the texts belong to the
// caller.
struct CallFacts {
  std::string_view apiLineText;
  std::string_view threadId;
  std::string_view timeStamp;
  int64_t durationMs = 0;
  // For a connect call, the session handle its result names; otherwise "".
  std::string_view openedSession;
  // Where apiLineText is only the beginning of a longer call text (at least
  // kMaxExample bytes of it), the fingerprint and API name of the whole
  // text, and a short text that names the call's session as the whole text
  // does (see SessionTable::add); empty otherwise.
  std::string_view fingerprint;
  std::string_view apiName;
  std::string_view sessionText;
  // A connect call the filters left out: it only opens its session (see
  // SessionTable::openLeftOut).
  bool leftOut = false;
};

// What the analytics read of a completed query (QueryRecord); the texts
// belong to the caller.
struct QueryFacts {
  std::string_view text;
  size_t gluedAt = std::string_view::npos;
  // Where `text` is only the beginning of a long text, the class of the
  // whole; empty otherwise.
  std::string_view fingerprint;
  double durationMs = 0.0;
  int32_t rowCount = 0;
  std::string_view threadId;
  std::string_view startStamp;
};

class Analytics : public QueryRecordSink {
 public:
  // `bucketSeconds` fixes the timeline's width; 0 lets the trace choose it.
  explicit Analytics(int64_t bucketSeconds)
      : timeline_(bucketSeconds), callFingerprint_(kCallFingerprintRoom, '\0') {}

  // Takes an accepted call.
  void addCall(const CallFacts& call);
  // Takes a connect call the filters left out (`call.leftOut`).
  void addLeftOut(const CallFacts& call);
  // Takes a completed query.
  void addQuery(const QueryFacts& query);
  void onQueryRecord(QueryRecord* record) override;

  // Fills profile->analytics, and profile->mergeable where `keepMergeable`
  // (else the exact profile is given up as the analytics are taken from
  // it), reading the profile's stamps and DMCL time, and leaves this object
  // empty. The longest calls stay the profile's (ProfileBuilder hands them
  // on).
  void moveInto(Profile* profile, bool keepMergeable);

 private:
  // Sets the API of `callClass`, the class of `call` met first, whose API
  // name is `nameSize` bytes long where the call is whole
  // (`call.fingerprint` empty).
  void setApi(const CallFacts& call, size_t nameSize, ClassTable::Class* callClass);

  // The number of the call class of the whole call `text`, the length of
  // its API name in `nameSize` and the slot of its session handle in
  // `sessionSlot` (SessionTable::SlotOfCall). A short call like one met
  // lately, as most are (a handle's calls follow one another, calls of one
  // kind go to object after object), costs a hash and a comparison.
  uint32_t callClassOf(std::string_view text, size_t* nameSize, uint32_t* sessionSlot);

  ClassTable apis_;
  ClassTable queryClasses_;
  ClassTable callClasses_;
  ThreadTable threads_;
  SessionTable sessions_;
  Timeline timeline_;
  CallSpan span_;
  RecentTexts recentQueries_;
  RecentCalls recentCalls_;
  std::string fingerprint_;      // of a query, reused
  std::string callFingerprint_;  // room for a call's, reused
  StampClock clock_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_ANALYTICS_H_
