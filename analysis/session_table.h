// SessionTable: who and where the time went: the calls of each session, and
// through the connect call that opened it, of each user and repository.
//
// A call's session is its first argument when that is a session handle
// ("s0", a letter s and digits). A connect call ("connect,REPOSITORY,USER,...")
// opens a new session under the handle its result names, with its
// repository and user; a later connect that gets the same handle opens
// another. The handle "c" stands for the session its thread opened last. A
// connect call the filters left out opens its session all the same, so that
// a session's user and repository never depend on the filters. A session
// without its connect in the trace has the user and repository "(unknown)";
// a call without a session handle counts under "(none)". A
// call's session is found by its handle's number, without a search. It owns
// its sessions; memory grows with sessions, users, repositories and the
// threads whose connect was left out before their first call.
#ifndef QUINTREL_ANALYSIS_SESSION_TABLE_H_
#define QUINTREL_ANALYSIS_SESSION_TABLE_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/duration_histogram.h"
#include "analysis/mergeable_profile.h"
#include "parse/trace_call.h"
#include "parse/trace_grammar.h"

namespace quintrel {

// The session handle a connect call's result names ("s0" of "Res: 's0'"),
// "" for other calls and results that name none.
std::string_view SessionOpenedBy(const TraceCall& call);

// Where a handle's session is kept: kSessionSlotNone for a text that is no
// handle (or "s" with more than six digits), kSessionSlotC for "c", then one
// for each "sN" by its number, so that finding it takes no search. Inline:
// every call asks it.
constexpr uint32_t kSessionSlotNone = 0, kSessionSlotC = 1;
inline uint32_t SessionSlotOf(std::string_view handle) {
  if (handle.size() == 1 && handle[0] == 'c') return kSessionSlotC;
  if (handle.size() < 2 || handle.size() > 7 || handle[0] != 's') return kSessionSlotNone;
  uint32_t number = 0;
  for (char digit : handle.substr(1)) {
    if (digit < '0' || digit > '9') return kSessionSlotNone;
    number = number * 10 + static_cast<uint32_t>(digit - '0');
  }
  return 2 + number;
}
// The first argument of a call text whose API name, the bytes before its
// first comma, is `nameSize` bytes long, as far as a handle reaches
// (SessionSlotOf takes none longer than seven bytes): up to the next comma,
// at most eight bytes. Read without a search, which would run on through a
// query's text.
inline std::string_view SessionHandleAfter(std::string_view text, size_t nameSize) {
  if (nameSize >= text.size()) return std::string_view();
  std::string_view rest = text.substr(nameSize + 1, 8);
  size_t end = 0;
  while (end < rest.size() && rest[end] != ',') ++end;
  return rest.substr(0, end);
}
// The same, finding the API name's end.
inline std::string_view SessionHandleOf(std::string_view text) {
  size_t comma = 0;
  while (comma < text.size() && text[comma] != ',') ++comma;
  return SessionHandleAfter(text, comma);
}
// The argument `index` (0: the first after the API name) of a call text.
std::string_view CallArgumentOf(std::string_view text, int index);

class SessionTable {
 public:
  // Takes an accepted call: its API line text, the handle its result names
  // when it is a connect call ("" otherwise), the number of its thread (as
  // ThreadTable numbers them) and its duration.
  void add(std::string_view apiLineText, std::string_view opened, uint32_t thread, int64_t ms) {
    add(apiLineText, ApiNameOf(apiLineText).size(), opened, thread, ms);
  }
  // The same, for a caller that knows the length of the API name in
  // `apiLineText`, the bytes before its first comma (`nameSize`). Inline:
  // every accepted call is counted, most of them under a session already
  // known by its handle.
  void add(std::string_view apiLineText, size_t nameSize, std::string_view opened, uint32_t thread,
           int64_t ms) {
    uint32_t textSlot = opened.empty() ? SlotOfCall(apiLineText, nameSize) : kSessionSlotNone;
    addInSlot(apiLineText, nameSize, opened, textSlot, thread, ms);
  }
  // The same, for a caller that knows the slot of the handle in the call's
  // text, `textSlot` (SlotOfCall(apiLineText, nameSize)); a connect call's
  // session is in the slot of `opened` instead.
  void addInSlot(std::string_view apiLineText, size_t nameSize, std::string_view opened,
                 uint32_t textSlot, uint32_t thread, int64_t ms) {
    uint32_t slot = opened.empty() ? textSlot : SessionSlotOf(opened);
    uint32_t session = slot < current_.size() ? current_[slot] : kNone;
    if (!opened.empty() || slot == kSessionSlotC || session == kNone) {
      std::string_view handle = opened.empty() ? SessionHandleAfter(apiLineText, nameSize) : opened;
      session = placeCall(apiLineText, opened, thread, slot, handle);
    }
    sessions_[session].durations.add(ms);
  }
  // The slot of the session handle of a call text whose API name is
  // `nameSize` bytes long.
  static uint32_t SlotOfCall(std::string_view apiLineText, size_t nameSize) {
    return SessionSlotOf(SessionHandleAfter(apiLineText, nameSize));
  }
  // Takes a connect call the filters left out, which opens the session its
  // result names (`opened`) as add() would, counting no call, so that the
  // calls taken later name its user and repository whatever the filters
  // drop. `thread` is its thread's number, ThreadTable::kNone where the
  // thread has none yet; then the table keeps a copy of `threadId` until
  // numberThread() names it.
  void openLeftOut(std::string_view apiLineText, std::string_view opened, uint32_t thread,
                   std::string_view threadId);
  // Tells the table the number the thread `threadId` got at its first
  // accepted call.
  void numberThread(std::string_view threadId, uint32_t thread) {
    if (!unnumbered_.empty()) adoptUnnumbered(threadId, thread);
  }
  // Hands the sessions with calls, in the order they were opened, to
  // `sessions` (replacing what it held; their trace unnamed) and leaves the
  // table empty. MergeableProfile::analytics() ranks them and finds their
  // users and repositories.
  void moveInto(std::vector<MergeableSession>* sessions);

 private:
  struct Session {
    std::string label;  // the handle, with " #2" and so on when it is reused
    std::string user, repository;
    DurationHistogram durations;
  };
  static constexpr uint32_t kNone = 0xFFFFFFFF;
  // The session `handle` names now, in its slot (see SlotOf), made when new.
  uint32_t sessionAt(uint32_t slot, std::string_view handle);
  // Opens the session `handle` names from here on; returns it, kNone where
  // `handle` is no session handle.
  uint32_t open(std::string_view apiLineText, std::string_view handle);
  void setLastOpened(uint32_t thread, uint32_t session);
  void adoptUnnumbered(std::string_view threadId, uint32_t thread);
  // The session of a call that opens one, names "c" or names a handle not
  // met before (see add), whose handle is in `slot`.
  uint32_t placeCall(std::string_view apiLineText, std::string_view opened, uint32_t thread,
                     uint32_t slot, std::string_view handle);

  std::vector<uint32_t> current_;  // per slot: its session in sessions_, or kNone
  std::vector<uint32_t> opened_;   // per slot: the sessions its handle has named
  std::vector<Session> sessions_;
  std::vector<uint32_t> lastOpened_;  // per thread: the session it opened last, or kNone
  // Per thread without a number: the session its connect, left out by the
  // filters, opened last.
  std::map<std::string, uint32_t, std::less<>> unnumbered_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_SESSION_TABLE_H_
