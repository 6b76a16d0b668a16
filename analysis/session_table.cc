#include "analysis/session_table.h"

#include <cstring>

#include "analysis/fingerprint.h"
#include "analysis/thread_table.h"
#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

const char kUnknown[] = "(unknown)";
const char kNoSession[] = "(none)";

}  // namespace

std::string_view CallArgumentOf(std::string_view text, int index) {
  size_t at = text.find(',');
  for (; at != std::string_view::npos && index > 0; --index) {
    at += 1 + CallArgumentLength(text.substr(at + 1));
    if (at >= text.size()) return std::string_view();
  }
  if (at == std::string_view::npos) return std::string_view();
  std::string_view rest = text.substr(at + 1);
  return rest.substr(0, CallArgumentLength(rest));
}

std::string_view SessionOpenedBy(const TraceCall& call) {
  // Asked of every accepted call: eight bytes compared as one word.
  std::string_view text = call.apiLineText();
  if (text.size() < 8 || std::memcmp(text.data(), "connect,", 8) != 0) return std::string_view();
  std::string_view result = call.resultText.view();
  bool quoted = !result.empty() && result.back() == '\'';
  return quoted ? result.substr(0, result.size() - 1) : std::string_view();
}

uint32_t SessionTable::placeCall(std::string_view apiLineText, std::string_view opened,
                                 uint32_t thread, uint32_t slot, std::string_view handle) {
  if (thread >= lastOpened_.size()) lastOpened_.resize(thread + 1, kNone);
  if (!opened.empty()) setLastOpened(thread, open(apiLineText, opened));
  bool current = slot == kSessionSlotC && lastOpened_[thread] != kNone;
  return current ? lastOpened_[thread] : sessionAt(slot, handle);
}

void SessionTable::openLeftOut(std::string_view apiLineText, std::string_view opened,
                               uint32_t thread, std::string_view threadId) {
  uint32_t session = open(apiLineText, opened);
  if (session == kNone) return;
  if (thread != ThreadTable::kNone) {
    setLastOpened(thread, session);
  } else {
    unnumbered_[std::string(threadId)] = session;
  }
}

void SessionTable::setLastOpened(uint32_t thread, uint32_t session) {
  if (session == kNone) return;
  if (thread >= lastOpened_.size()) lastOpened_.resize(thread + 1, kNone);
  lastOpened_[thread] = session;
}

void SessionTable::adoptUnnumbered(std::string_view threadId, uint32_t thread) {
  auto found = unnumbered_.find(threadId);
  if (found == unnumbered_.end()) return;
  setLastOpened(thread, found->second);
  unnumbered_.erase(found);
}

uint32_t SessionTable::sessionAt(uint32_t slot, std::string_view handle) {
  if (slot >= current_.size()) {
    current_.resize(slot + 1, kNone);
    opened_.resize(slot + 1, 0);
  }
  if (current_[slot] == kNone) {
    current_[slot] = static_cast<uint32_t>(sessions_.size());
    opened_[slot] = 1;
    const char* who = slot == kSessionSlotNone ? kNoSession : kUnknown;
    sessions_.push_back(
        Session{slot == kSessionSlotNone ? kNoSession : std::string(handle), who, who, {}});
  }
  return current_[slot];
}

uint32_t SessionTable::open(std::string_view apiLineText, std::string_view handle) {
  uint32_t slot = SessionSlotOf(handle);
  if (slot == kSessionSlotNone) return kNone;
  Session* session = &sessions_[sessionAt(slot, handle)];
  // A handle already in use names a new session from here on.
  if (session->durations.count() > 0 || session->user != kUnknown) {
    current_[slot] = static_cast<uint32_t>(sessions_.size());
    std::string label = std::string(handle) + " #" + std::to_string(++opened_[slot]);
    sessions_.push_back(Session{std::move(label), {}, {}, {}});
    session = &sessions_.back();
  }
  session->repository.assign(CallArgumentOf(apiLineText, 0));
  session->user.assign(CallArgumentOf(apiLineText, 1));
  return current_[slot];
}

void SessionTable::moveInto(std::vector<MergeableSession>* sessions) {
  sessions->clear();
  for (Session& session : sessions_) {
    if (session.durations.count() == 0) continue;
    sessions->push_back(MergeableSession{"", std::move(session.label), std::move(session.user),
                                         std::move(session.repository),
                                         std::move(session.durations)});
  }
  *this = SessionTable();
}

}  // namespace quintrel
