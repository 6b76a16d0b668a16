#include "analysis/session_table.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "analysis/class_table.h"
#include "analysis/fingerprint.h"
#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

const char kUnknown[] = "(unknown)";
const char kNoSession[] = "(none)";

// The argument `index` (0: the first after the API name) of a call text.
std::string_view ArgumentOf(std::string_view text, int index) {
  size_t at = text.find(',');
  for (; at != std::string_view::npos && index > 0; --index) {
    at += 1 + CallArgumentLength(text.substr(at + 1));
    if (at >= text.size()) return std::string_view();
  }
  if (at == std::string_view::npos) return std::string_view();
  std::string_view rest = text.substr(at + 1);
  return rest.substr(0, CallArgumentLength(rest));
}

// "c", or "s" and digits.
bool IsSessionHandle(std::string_view word) {
  if (word == "c") return true;
  if (word.size() < 2 || word[0] != 's') return false;
  return word.find_first_not_of("0123456789", 1) == std::string_view::npos;
}

ClassRow RowOf(std::string name, const DurationHistogram& durations) {
  return ClassRow{std::move(name), durations.stats(), 0, Example{}};
}

}  // namespace

std::string_view SessionOpenedBy(const TraceCall& call) {
  if (call.apiLineText().compare(0, 8, "connect,") != 0) return std::string_view();
  std::string_view result = call.resultText.view();
  bool quoted = !result.empty() && result.back() == '\'';
  return quoted ? result.substr(0, result.size() - 1) : std::string_view();
}

void SessionTable::add(std::string_view apiLineText, std::string_view opened, uint32_t thread,
                       int64_t ms) {
  if (thread >= lastOpened_.size()) lastOpened_.resize(thread + 1, kNone);
  if (!opened.empty()) open(apiLineText, opened, thread);
  std::string_view handle = opened;
  if (handle.empty()) handle = ArgumentOf(apiLineText, 0);
  Session* session;
  if (handle == "c" && lastOpened_[thread] != kNone) {
    session = &sessions_[lastOpened_[thread]];
  } else {
    session = current(IsSessionHandle(handle) ? handle : kNoSession);
  }
  session->durations.add(ms);
}

SessionTable::Session* SessionTable::current(std::string_view handle) {
  return &sessions_[current_[numberOf(handle)]];
}

uint32_t SessionTable::numberOf(std::string_view handle) {
  bool added = false;
  uint32_t number = handles_.numberOf(handle, &added);
  if (added) {
    current_.push_back(static_cast<uint32_t>(sessions_.size()));
    opened_.push_back(1);
    bool none = handle == kNoSession;
    sessions_.push_back(Session{
        std::string(handle), none ? kNoSession : kUnknown, none ? kNoSession : kUnknown, {}});
  }
  return number;
}

void SessionTable::open(std::string_view apiLineText, std::string_view handle, uint32_t thread) {
  uint32_t number = numberOf(handle);
  Session* session = &sessions_[current_[number]];
  // A handle already in use names a new session from here on.
  if (session->durations.count() > 0 || session->user != kUnknown) {
    current_[number] = static_cast<uint32_t>(sessions_.size());
    std::string label = std::string(handle) + " #" + std::to_string(++opened_[number]);
    sessions_.push_back(Session{std::move(label), {}, {}, {}});
    session = &sessions_.back();
  }
  session->repository.assign(ArgumentOf(apiLineText, 0));
  session->user.assign(ArgumentOf(apiLineText, 1));
  lastOpened_[thread] = current_[number];
}

void SessionTable::moveInto(ProfileAnalytics* analytics) {
  std::map<std::string, DurationHistogram> users, repositories;
  for (const Session& session : sessions_) {
    if (session.durations.count() == 0) continue;
    users[session.user].merge(session.durations);
    repositories[session.repository].merge(session.durations);
    analytics->sessions.push_back(
        SessionRow{RowOf(session.label, session.durations), session.user, session.repository});
  }
  for (const auto& [user, durations] : users) analytics->users.push_back(RowOf(user, durations));
  for (const auto& [repository, durations] : repositories) {
    analytics->repositories.push_back(RowOf(repository, durations));
  }
  RankRows(&analytics->users);
  RankRows(&analytics->repositories);
  std::sort(analytics->sessions.begin(), analytics->sessions.end(),
            [](const SessionRow& a, const SessionRow& b) {
              return std::make_tuple(-a.figures.stats.totalMs, -a.figures.stats.count,
                                     std::string_view(a.figures.name)) <
                     std::make_tuple(-b.figures.stats.totalMs, -b.figures.stats.count,
                                     std::string_view(b.figures.name));
            });
  *this = SessionTable();
}

}  // namespace quintrel
