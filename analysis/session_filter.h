// SessionFilter: --users and --repositories, which keep the calls of the
// sessions whose connect call named one of the users and one of the
// repositories. A session is known as SessionTable knows it: a connect call
// opens the session its result names, with its repository and user; a call
// uses the session of its first argument, "c" the one its thread opened
// last. It is shown every call of the trace in order, whatever the other
// filters decide, so that a connect left out by them (before --since, of
// another thread) still names its session's user. Calls of a session whose
// connect is not in the trace, and calls of no session, match no list. It
// owns a flag per session handle and per thread that opened a session:
// memory grows with those alone.
#ifndef QUINTREL_ANALYSIS_SESSION_FILTER_H_
#define QUINTREL_ANALYSIS_SESSION_FILTER_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysis_config.h"
#include "parse/trace_call.h"

namespace quintrel {

class SessionFilter {
 public:
  // Copies the lists; a list not given lets every name pass.
  SessionFilter(const std::optional<NameSet>& users, const std::optional<NameSet>& repositories)
      : users_(users), repositories_(repositories) {}

  // Whether a list is given: otherwise accepts() takes every call.
  bool active() const { return users_.has_value() || repositories_.has_value(); }
  // Reads `call` (a connect opens a session) and says whether the session
  // it used passes. `call` needs its API line and, for a connect, its result.
  bool accepts(const TraceCall& call);

 private:
  // Whether the session a connect call opens passes: its repository is the
  // first argument, its user the second.
  bool opens(std::string_view apiLineText) const;

  std::optional<NameSet> users_, repositories_;
  std::vector<bool> passes_;  // per handle slot (SessionSlotOf): its session now
  // Per thread that opened a session: whether the last one it opened passes.
  std::map<std::string, bool, std::less<>> threadPasses_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_SESSION_FILTER_H_
