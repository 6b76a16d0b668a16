#include "analysis/query_tracker.h"

#include <cstring>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "analysis/fingerprint.h"
#include "analysis/profile_analytics.h"
#include "parse/text_buffer.h"
#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

// The collection named by a result text: the text without its last
// character, the closing quote of the result line.
std::string_view CollectionOf(std::string_view resultText) {
  return resultText.substr(0, resultText.empty() ? 0 : resultText.size() - 1);
}

using Role = QueryTracker::Role;

struct NamedRole {
  std::string_view name;
  Role role;
  QueryApi api;  // for kStart
};

// The query APIs first, in the order of kQueryApis, then the calls that
// complete or fetch from a query.
constexpr NamedRole StartRole(const QueryApiSyntax& syntax) {
  return {syntax.name, syntax.api == QueryApi::kExecQuery ? Role::kExecQuery : Role::kStart,
          syntax.api};
}

constexpr NamedRole kRoles[] = {
    StartRole(kQueryApis[0]),
    StartRole(kQueryApis[1]),
    StartRole(kQueryApis[2]),
    StartRole(kQueryApis[3]),
    StartRole(kQueryApis[4]),
    {"getlastcoll", Role::kGetLastColl, QueryApi::kQuery},
    {"next", Role::kFetch, QueryApi::kQuery},
    {"close", Role::kClose, QueryApi::kQuery},
};
static_assert(std::size(kQueryApis) == 5, "kRoles names every query API");

// Asked of every call: the names are told apart by length and first byte
// before any comparison.
const NamedRole* RoleOf(std::string_view name) {
  for (const NamedRole& role : kRoles) {
    if (name.size() == role.name.size() && name[0] == role.name[0] && name == role.name) {
      return &role;
    }
  }
  return nullptr;
}

// A query pattern read by hand at the start of a text: the name and its
// comma, the connection ("c" or "s" and digits) and its comma, and as many
// fields and their commas as the pattern skips. Where the query text
// starts, or npos.
size_t MatchQueryPrefix(std::string_view text, const QueryApiSyntax& prefix) {
  size_t at = prefix.name.size();
  if (text.substr(0, at) != prefix.name || at >= text.size() || text[at] != ',') {
    return std::string_view::npos;
  }
  ++at;
  if (at < text.size() && text[at] == 'c') {
    ++at;
  } else if (at < text.size() && text[at] == 's') {
    size_t digits = text.find_first_not_of("0123456789", at + 1);
    if (digits == at + 1) return std::string_view::npos;
    at = digits;
  } else {
    return std::string_view::npos;
  }
  for (int field = 0; field <= prefix.skippedFields; ++field) {
    if (at >= text.size() || text[at] != ',') return std::string_view::npos;
    at = field < prefix.skippedFields ? text.find(',', at + 1) : at + 1;
  }
  return at;
}

// Where the line after the one at `from` begins: after the next line feed,
// carriage return or form feed, but never between a carriage return and its
// line feed; the text's size when no line follows.
size_t NextLineStart(std::string_view text, size_t from) {
  for (size_t at = from; at < text.size(); ++at) {
    char c = text[at];
    bool separator = c == '\n' || c == '\r' || c == '\f';
    if (separator && !(c == '\r' && at + 1 < text.size() && text[at + 1] == '\n')) return at + 1;
  }
  return text.size();
}

}  // namespace

QueryTracker::Role QueryTracker::RoleOfName(std::string_view apiName) {
  const NamedRole* role = RoleOf(apiName);
  return role == nullptr ? Role::kNone : role->role;
}

void QueryTracker::track(TraceCall* call) {
  std::string_view text = call->apiText.view();
  std::string_view connection = ConnectionOf(text);
  const NamedRole* role = RoleOf(ApiNameOf(text));
  if (role == nullptr) return;
  switch (role->role) {
    case Role::kStart:
      setKey(connection, CollectionOf(call->resultText.view()));
      openQuery(startRecord(role->api, call));  // the record may take the text
      return;
    case Role::kExecQuery: {
      std::string pendingKey(connection);
      QueryRecord& pending = pending_[pendingKey];
      pending = startRecord(QueryApi::kExecQuery, call);  // replaces an earlier one
      // Each getlastcoll opens a query of it: a large text is shared by
      // them all rather than copied for each.
      if (pending.queryText.size() >= kLargeText) {
        pending.sharedText = std::make_shared<const TextBuffer>(std::move(pending.queryText));
      }
      return;
    }
    case Role::kGetLastColl: {
      auto pending = pending_.find(connection);
      if (pending == pending_.end()) return;
      setKey(connection, CollectionOf(call->resultText.view()));
      openQuery(pending->second);
      return;
    }
    case Role::kFetch:
    case Role::kClose: {
      // The collection follows the connection; a text without a comma is
      // read whole as both.
      bool noComma = connection.size() == text.size();
      size_t end = static_cast<size_t>(connection.data() - text.data()) + connection.size();
      if (!noComma && end >= text.size()) return;
      std::string_view rest = noComma ? text : text.substr(end + 1);
      setKey(connection, rest.substr(0, rest.find(',')));
      fetch(call->durationMs, role->role == Role::kClose);
      return;
    }
    case Role::kNone:
      return;
  }
}

void QueryTracker::finish() {
  // The open and the closed keys, merged in key order; no key is both.
  auto closed = closed_.begin();
  for (auto& [key, record] : open_) {
    for (; closed != closed_.end() && closed->first < key; ++closed) {
      reportOrder_.push_back(closed->second);
    }
    uint32_t number = complete(&record);
    if (log_ != nullptr) reportOrder_.push_back(number);
  }
  for (; closed != closed_.end(); ++closed) reportOrder_.push_back(closed->second);
  if (log_ != nullptr) log_->setOrder(std::move(reportOrder_));
  reportOrder_.clear();
  open_.clear();
  closed_.clear();
  pending_.clear();
}

QueryRecord QueryTracker::startRecord(QueryApi api, TraceCall* call) {
  QueryRecord record;
  record.api = api;
  record.durationMs = static_cast<double>(call->durationMs);
  record.threadId = call->getThreadId();
  record.startStamp = call->timeStamp;
  std::string_view text = call->apiText.view();
  size_t start = QueryTextStart(text);
  if (start == std::string_view::npos) return record;
  size_t lineEnd = call->apiLineText().size();
  if (text.size() > lineEnd && start <= lineEnd) record.gluedAt = lineEnd - start;
  if (text.size() - start >= kLargeText && partialTexts_) {
    QueryFingerprint(text.substr(start), record.gluedAt, &record.fingerprint);
    record.queryText.assign(text.substr(start, kMaxExample));
  } else if (text.size() - start >= kLargeText) {
    // The call is done with its API text: the record takes it over.
    record.queryText = std::move(call->apiText);
    record.queryText.erasePrefix(start);
  } else {
    record.queryText.assign(text.substr(start));
  }
  return record;
}

bool QueryTracker::MayTrack(std::string_view apiLineText) {
  size_t comma = apiLineText.find(',');
  if (comma != std::string_view::npos) return comma > 0 && RoleOf(apiLineText.substr(0, comma));
  // Without a comma on the API line its continuation lines may still
  // complete the name.
  for (const NamedRole& role : kRoles) {
    if (role.name.substr(0, apiLineText.size()) == apiLineText) return true;
  }
  return false;
}

size_t QueryTracker::QueryTextStart(std::string_view apiText) {
  // Lines begin after these bytes alone: without them only the start counts.
  const void* begin = apiText.data();
  if (std::memchr(begin, '\n', apiText.size()) || std::memchr(begin, '\r', apiText.size()) ||
      std::memchr(begin, '\f', apiText.size())) {
    return QueryTextStartAtLines(apiText);
  }
  for (const QueryApiSyntax& prefix : kQueryApis) {
    size_t start = MatchQueryPrefix(apiText, prefix);
    if (start != std::string_view::npos) return start;
  }
  return std::string_view::npos;
}

size_t QueryTracker::QueryTextStartAtLines(std::string_view apiText) {
  for (const QueryApiSyntax& prefix : kQueryApis) {
    for (size_t line = 0; line < apiText.size(); line = NextLineStart(apiText, line)) {
      size_t start = MatchQueryPrefix(apiText.substr(line), prefix);
      if (start != std::string_view::npos) return line + start;
    }
  }
  return std::string_view::npos;
}

void QueryTracker::setKey(std::string_view connection, std::string_view collection) {
  key_.assign(connection);
  key_ += collection;
}

void QueryTracker::openQuery(QueryRecord record) {
  auto open = open_.find(key_);
  if (open == open_.end()) {
    auto closed = closed_.find(key_);
    if (closed != closed_.end()) {
      reportOrder_.push_back(closed->second);
      closed_.erase(closed);
    }
    open_.emplace(key_, std::move(record));
    return;
  }
  uint32_t number = complete(&open->second);
  if (log_ != nullptr) reportOrder_.push_back(number);
  open->second = std::move(record);
}

void QueryTracker::fetch(int64_t durationMs, bool closes) {
  auto open = open_.find(key_);
  if (open == open_.end()) {
    auto closed = closed_.find(key_);
    if (closed != closed_.end()) log_->addFetch(closed->second, durationMs);
    return;
  }
  open->second.addFetch(durationMs);
  if (!closes) return;
  uint32_t number = complete(&open->second);
  if (log_ != nullptr) closed_.emplace(key_, number);
  open_.erase(open);
}

uint32_t QueryTracker::complete(QueryRecord* record) {
  // Four billion queries take a trace of hundreds of gigabytes.
  if (completed_ == UINT32_MAX) throw std::length_error("too many queries");
  sink_->onQueryRecord(record);
  return completed_++;
}

}  // namespace quintrel
