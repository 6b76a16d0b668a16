#include "report/jsonl_writer.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "analysis/class_id.h"
#include "analysis/fingerprint.h"
#include "analysis/query_tracker.h"
#include "analysis/session_table.h"
#include "analysis/time_stamp.h"
#include "parse/trace_grammar.h"
#include "report/json_text.h"

namespace quintrel {

namespace {

void AppendNumber(int64_t value, TextBuffer* out) {
  char* digits = out->room(24);
  out->commit(std::to_chars(digits, digits + 24, value).ptr);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the last `count` (1 to 7) bytes of `text`, at least eight long,
// are digits, checked at once in its last eight bytes: a byte below '0'
// sets its high bit by the subtraction, one above '9' by the addition, and
// a borrow or carry reaches the next byte only from a byte that fails.
bool EndsInDigits(std::string_view text, size_t count) {
  uint64_t word;
  std::memcpy(&word, text.data() + text.size() - 8, 8);
  // The last bytes are the high ones of a little-endian word.
  const unsigned shift = static_cast<unsigned>(8 * (8 - count));
  word >>= shift;
  const uint64_t ones = 0x0101010101010101ull >> shift;
  uint64_t below = word - ones * '0';
  uint64_t above = word + ones * (0x7f - '9');
  return ((below | above | word) & (ones * 0x80)) == 0;
}

// Whether the argument at the start of `text` is quoted: its commas are
// then its own (CallArgumentLength).
bool IsQuoted(std::string_view text) {
  return !text.empty() && (text[0] == '\'' || text[0] == '"');
}

bool IsValidTime(const TimeStamp& stamp) {
  return stamp.hasDate() && stamp.hours >= 0 && stamp.minutes >= 0 && stamp.seconds >= 0 &&
         stamp.micros >= 0 && stamp.hours < 24 && stamp.minutes < 60 && stamp.seconds < 60 &&
         stamp.micros < 1000000;
}

// Writes `value` (>= 0) as `digits` decimal digits, with leading zeros.
void AppendDigits(int64_t value, int digits, char* out) {
  for (int digit = digits - 1; digit >= 0; --digit, value /= 10) {
    out[digit] = static_cast<char>('0' + value % 10);
  }
}

// "2003-08-06T14:03:22." of a valid stamp, the figures written by hand: a
// format function took a fifth of the listing's time.
void FormatDateAndTime(const TimeStamp& time, char* out) {
  const struct {
    int64_t value;
    int digits;
    char after;
  } kFields[] = {{time.year, 4, '-'},  {time.month, 2, '-'},   {time.day, 2, 'T'},
                 {time.hours, 2, ':'}, {time.minutes, 2, ':'}, {time.seconds, 2, '.'}};
  for (const auto& field : kFields) {
    AppendDigits(field.value, field.digits, out);
    out += field.digits;
    *out++ = field.after;
  }
}

}  // namespace

void JsonlWriter::write(const TraceCall& call) {
  // Emptied, its memory kept: at most a few times kLargeText.
  line_.truncate(0);
  line_.append("{\"thread\":");
  appendString(call.getThreadId());
  appendStart(call.timeStamp);
  line_.append(",\"durationMs\":");
  AppendNumber(call.durationMs, &line_);
  line_.append(",\"roundTrips\":");
  AppendNumber(static_cast<int64_t>(call.resultRpcCount) - call.apiRpcCount, &line_);
  line_.append(",\"api\":");
  std::string_view name = ApiNameOf(call.apiLineText());
  appendString(name);
  QueryTracker::Role role;
  size_t start = QueryStart(call, name, &role);
  appendTexts(call.apiText.view(), start);
  line_.append(",\"session\":");
  std::string_view session = SessionOf(call, name);
  if (session.empty()) {
    line_.append("null");
  } else {
    appendString(session);
  }
  appendClasses(call, role, start);
  // The line feed goes with the object, one write for both.
  line_.append("}\n");
  writeOut();
  // Through the stream's buffer itself: the stream adds nothing to a write
  // but a check of its state, which the buffer keeps as well.
  out_->rdbuf()->pubsync();
}

size_t JsonlWriter::QueryStart(const TraceCall& call, std::string_view name,
                               QueryTracker::Role* role) {
  std::string_view apiText = call.apiText.view(), lineText = call.apiLineText();
  bool tracked;
  if (name.size() < lineText.size()) {
    // The API line holds the name and its comma, as most do: the name alone
    // decides, read once.
    *role = QueryTracker::RoleOfName(name);
    tracked = *role != QueryTracker::Role::kNone;
  } else {
    // The continuation lines may complete the name: read as query tracking
    // reads the call.
    *role = QueryTracker::MayTrack(lineText) ? QueryTracker::RoleOfName(ApiNameOf(apiText))
                                             : QueryTracker::Role::kNone;
    tracked = QueryTracker::MayTrack(apiText);
  }
  return tracked ? QueryTracker::QueryTextStart(apiText) : std::string_view::npos;
}

void JsonlWriter::appendTexts(std::string_view apiText, size_t start) {
  bool isQuery = start != std::string_view::npos;
  std::string_view head = isQuery ? apiText.substr(0, start) : apiText;
  std::string_view query = isQuery ? apiText.substr(start) : std::string_view();
  if (anonymize_) {
    head = anonymizer_.callText(head);
    if (isQuery) query = queryAnonymizer_.queryText(query);
  }
  // The comma before a query text ends the arguments.
  if (isQuery && !head.empty() && head.back() == ',') head.remove_suffix(1);
  appendArguments(head);
  line_.append(",\"query\":");
  if (isQuery) {
    appendString(query);
  } else {
    line_.append("null");
  }
}

void JsonlWriter::appendStart(std::string_view stamp) {
  // Calls come many to a second: the date and time of day are formatted
  // once per second, the sub-second number for each call.
  size_t head = stampHead_.size();
  std::string_view digits;
  bool sameSecond = head >= 8 && stamp.size() > head + 1 && stamp.size() <= head + 7 &&
                    stamp[head] == ' ' && EndsInDigits(stamp, stamp.size() - head - 1) &&
                    std::memcmp(stamp.data(), stampHead_.data(), head) == 0;
  if (sameSecond) digits = stamp.substr(head + 1);
  if (!sameSecond && !readStamp(stamp, &digits)) {
    line_.append(",\"start\":null,\"stamp\":");
    appendString(stamp);
    return;
  }
  const char kKey[] = ",\"start\":\"";
  const size_t kKeySize = sizeof kKey - 1;
  char* out = line_.room(kKeySize + kIsoHead + 7);
  std::memcpy(out, kKey, kKeySize);
  std::memcpy(out + kKeySize, isoHead_, kIsoHead);
  out += kKeySize + kIsoHead;
  // The sub-second digits stand as they are, after zeros up to six.
  if (digits.size() == 6) {
    std::memcpy(out, digits.data(), 6);
  } else {
    std::memcpy(out, "000000", 6);
    for (size_t at = 0; at < digits.size(); ++at) out[6 - digits.size() + at] = digits[at];
  }
  out[6] = '"';
  line_.commit(out + 7);
}

bool JsonlWriter::readStamp(std::string_view stamp, std::string_view* digits) {
  // The sub-second number is the run of digits after the last blank; the
  // stamp is read whole where there is none of one to six digits.
  size_t first = stamp.size();
  while (first > 0 && IsDigit(stamp[first - 1])) --first;
  size_t count = stamp.size() - first;
  bool subSecond = count > 0 && count <= 6 && (first == 0 || stamp[first - 1] == ' ');
  TimeStamp time;
  stampHead_.clear();
  if (!TimeStamp::ReadHeaderStamp(stamp, &time) || !IsValidTime(time)) return false;
  if (subSecond && first > 0) stampHead_.assign(stamp.substr(0, first - 1));
  *digits = subSecond ? stamp.substr(first) : std::string_view();
  FormatDateAndTime(time, isoHead_);
  return true;
}

void JsonlWriter::appendArguments(std::string_view callText) {
  line_.append(",\"args\":[");
  size_t comma = callText.find(',');
  if (comma != std::string_view::npos && callText.size() < kLargeText) {
    // Each byte takes at most kJsonCharRoom, each comma three ("," ).
    char* out = line_.room(callText.size() * kJsonCharRoom + 2);
    for (size_t at = comma + 1;; ++at) {
      std::string_view rest = callText.substr(at);
      size_t length = 0;
      *out++ = '"';
      // An argument ends at the next comma unless it is quoted, when the
      // comma after its closing quote ends it.
      if (IsQuoted(rest)) {
        length = CallArgumentLength(rest);
        out = WriteJsonChars(rest.substr(0, length), out);
      } else {
        out = WriteJsonCharsUntil(rest, true, out, &length);
      }
      *out++ = '"';
      at += length;
      if (at >= callText.size()) break;
      *out++ = ',';
    }
    line_.commit(out);
  } else {
    for (size_t at = comma + 1; comma != std::string_view::npos; ++at) {
      size_t length = CallArgumentLength(callText.substr(at));
      appendString(callText.substr(at, length));
      at += length;
      if (at >= callText.size()) break;
      line_.push_back(',');
    }
  }
  line_.push_back(']');
}

void JsonlWriter::writeOut() {
  out_->rdbuf()->sputn(line_.view().data(), static_cast<std::streamsize>(line_.size()));
}

void JsonlWriter::appendLargeString(std::string_view text) {
  line_.push_back('"');
  while (text.size() >= kLargeText) {
    size_t piece = JsonPieceLength(text, kLargeText);
    AppendJsonChars(text.substr(0, piece), &line_);
    text.remove_prefix(piece);
    writeOut();
    line_.clear();
  }
  AppendJsonChars(text, &line_);
  line_.push_back('"');
}

void JsonlWriter::appendClasses(const TraceCall& call, QueryTracker::Role role, size_t queryStart) {
  line_.append(",\"class\":\"");
  appendClassId(ClassKind::kCall, call.apiLineText(), std::string_view::npos);
  line_.append("\",\"queryClass\":");
  if (role == QueryTracker::Role::kStart) {
    line_.push_back('"');
    appendQueryClassId(call, queryStart);
    line_.push_back('"');
  } else if (role == QueryTracker::Role::kExecQuery) {
    keepExecQueryClass(call, queryStart);
    line_.append("null");
  } else if (role == QueryTracker::Role::kGetLastColl) {
    appendExecQueryClass(call.apiText.view());
  } else {
    line_.append("null");
  }
}

void JsonlWriter::keepExecQueryClass(const TraceCall& call, size_t queryStart) {
  // The id is written at the line's end, taken from there, and cut off.
  size_t at = line_.size();
  appendQueryClassId(call, queryStart);
  std::string_view id = line_.view().substr(at);
  std::string_view connection = QueryTracker::ConnectionOf(call.apiText.view());
  auto found = execQueryClasses_.find(connection);
  if (found == execQueryClasses_.end()) {
    execQueryClasses_.emplace(std::string(connection), std::string(id));
  } else {
    found->second.assign(id);
  }
  line_.truncate(at);
}

void JsonlWriter::appendExecQueryClass(std::string_view apiText) {
  auto found = execQueryClasses_.find(QueryTracker::ConnectionOf(apiText));
  if (found == execQueryClasses_.end()) {
    line_.append("null");
    return;
  }
  line_.push_back('"');
  line_.append(found->second);
  line_.push_back('"');
}

void JsonlWriter::appendQueryClassId(const TraceCall& call, size_t queryStart) {
  std::string_view apiText = call.apiText.view();
  // As query tracking reads it: the query text from where a query pattern
  // fits, empty where none does, its first continuation line glued to the
  // API line.
  if (queryStart == std::string_view::npos) queryStart = QueryTracker::QueryTextStart(apiText);
  if (queryStart == std::string_view::npos) {
    appendClassId(ClassKind::kQuery, std::string_view(), std::string_view::npos);
    return;
  }
  size_t lineEnd = call.apiLineText().size();
  bool glued = apiText.size() > lineEnd && queryStart <= lineEnd;
  appendClassId(ClassKind::kQuery, apiText.substr(queryStart),
                glued ? lineEnd - queryStart : std::string_view::npos);
}

void JsonlWriter::appendClassId(ClassKind kind, std::string_view text, size_t glued) {
  ClassIdCache& cache = kind == ClassKind::kCall ? callIds_ : queryIds_;
  std::string_view id = cache.find(text, glued);
  if (!id.empty()) {
    line_.append(id);
    return;
  }
  std::string_view fingerprint;
  if (kind == ClassKind::kCall) {
    fingerprint = std::string_view(callFingerprint_, CallFingerprint(text, callFingerprint_));
    // An anonymized profile names a call class by its fingerprint
    // anonymized, which differs for the APIs that name people.
    if (anonymize_) fingerprint = anonymizer_.callText(fingerprint);
  } else {
    QueryFingerprint(text, glued, &fingerprint_);
    fingerprint = fingerprint_;
  }
  char computed[kClassIdDigits];
  WriteClassId(kind, fingerprint, computed);
  cache.keep(text, std::string_view(computed, kClassIdDigits));
  line_.append(std::string_view(computed, kClassIdDigits));
}

std::string_view JsonlWriter::SessionOf(const TraceCall& call, std::string_view name) {
  std::string_view text = call.apiLineText();
  if (name == "connect") return SessionOpenedBy(call);
  if (name.size() == text.size()) return std::string_view();
  std::string_view rest = text.substr(name.size() + 1);
  if (IsQuoted(rest)) return rest.substr(0, CallArgumentLength(rest));
  // A handle is short: read up to its comma here rather than searched for.
  size_t end = 0;
  while (end < rest.size() && rest[end] != ',') ++end;
  return rest.substr(0, end);
}

}  // namespace quintrel
