#include "report/jsonl_writer.h"

#include <algorithm>
#include <charconv>

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
  char digits[24];
  out->append(std::string_view(digits, std::to_chars(digits, digits + 24, value).ptr - digits));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

// Where the query text of a query call begins, npos for other calls.
size_t QueryStart(std::string_view apiText) {
  return QueryTracker::MayTrack(apiText) ? QueryTracker::QueryTextStart(apiText)
                                         : std::string_view::npos;
}

}  // namespace

void JsonlWriter::write(const TraceCall& call) {
  line_.assign("{\"thread\":");
  AppendJsonString(call.getThreadId(), &line_);
  appendStart(call.timeStamp);
  line_.append(",\"durationMs\":");
  AppendNumber(call.durationMs, &line_);
  line_.append(",\"roundTrips\":");
  AppendNumber(static_cast<int64_t>(call.resultRpcCount) - call.apiRpcCount, &line_);
  line_.append(",\"api\":");
  AppendJsonString(ApiNameOf(call.apiLineText()), &line_);
  std::string_view apiText = call.apiText.view();
  size_t start = QueryStart(apiText);
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
    appendLargeString(query);
  } else {
    line_.append("null");
  }
  line_.append(",\"session\":");
  std::string_view session = SessionOf(call);
  if (session.empty()) {
    line_.append("null");
  } else {
    AppendJsonString(session, &line_);
  }
  appendClasses(call, start);
  // The line feed goes with the object, one write for both.
  line_.append("}\n");
  out_->write(line_.view().data(), line_.size());
  out_->flush();
}

void JsonlWriter::appendStart(std::string_view stamp) {
  // Calls come many to a second: the date and time of day are formatted
  // once per second, the sub-second number for each call.
  // The sub-second number is the run of digits after the last blank; the
  // stamp is read whole where there is none of one to six digits.
  size_t first = stamp.size();
  while (first > 0 && IsDigit(stamp[first - 1])) --first;
  size_t count = stamp.size() - first;
  bool digits = count > 0 && count <= 6 && (first == 0 || stamp[first - 1] == ' ');
  std::string_view head = digits && first > 0 ? stamp.substr(0, first - 1) : std::string_view();
  if (!digits || head.empty() || head != stampHead_) {
    TimeStamp time;
    stampHead_.clear();
    if (!TimeStamp::ReadHeaderStamp(stamp, &time) || !IsValidTime(time)) {
      line_.append(",\"start\":null,\"stamp\":");
      AppendJsonString(stamp, &line_);
      return;
    }
    if (digits) stampHead_.assign(head);
    FormatDateAndTime(time, isoHead_);
  }
  int64_t value = 0;
  if (digits) {
    for (char c : stamp.substr(first)) value = value * 10 + (c - '0');
  }
  char micros[6];
  AppendDigits(value, 6, micros);
  line_.append(",\"start\":\"");
  line_.append(std::string_view(isoHead_, kIsoHead));
  line_.append(std::string_view(micros, 6));
  line_.push_back('"');
}

void JsonlWriter::appendArguments(std::string_view callText) {
  line_.append(",\"args\":[");
  size_t comma = callText.find(',');
  for (size_t at = comma + 1; comma != std::string_view::npos; ++at) {
    size_t length = CallArgumentLength(callText.substr(at));
    appendLargeString(callText.substr(at, length));
    at += length;
    if (at >= callText.size()) break;
    line_.push_back(',');
  }
  line_.push_back(']');
}

void JsonlWriter::appendLargeString(std::string_view text) {
  line_.push_back('"');
  while (text.size() >= kLargeText) {
    size_t piece = JsonPieceLength(text, kLargeText);
    AppendJsonChars(text.substr(0, piece), &line_);
    text.remove_prefix(piece);
    out_->write(line_.view().data(), line_.size());
    line_.clear();
  }
  AppendJsonChars(text, &line_);
  line_.push_back('"');
}

void JsonlWriter::appendClasses(const TraceCall& call, size_t queryStart) {
  std::string_view callText = call.apiLineText();
  line_.append(",\"class\":\"");
  appendClassId(ClassKind::kCall, callText, std::string_view::npos);
  line_.append("\",\"queryClass\":");
  if (queryStart == std::string_view::npos) {
    line_.append("null");
    return;
  }
  // As query tracking reads it: the first continuation line is glued to the
  // API line.
  std::string_view apiText = call.apiText.view();
  size_t lineEnd = callText.size();
  bool glued = apiText.size() > lineEnd && queryStart <= lineEnd;
  line_.push_back('"');
  appendClassId(ClassKind::kQuery, apiText.substr(queryStart),
                glued ? lineEnd - queryStart : std::string_view::npos);
  line_.push_back('"');
}

void JsonlWriter::appendClassId(ClassKind kind, std::string_view text, size_t glued) {
  ClassIdCache& cache = kind == ClassKind::kCall ? callIds_ : queryIds_;
  std::string_view id = cache.find(text, glued);
  if (!id.empty()) {
    line_.append(id);
    return;
  }
  if (kind == ClassKind::kCall) {
    CallFingerprint(text, &fingerprint_);
  } else {
    QueryFingerprint(text, glued, &fingerprint_);
  }
  std::string computed = ClassId(kind, fingerprint_);
  cache.keep(text, computed);
  line_.append(computed);
}

std::string_view JsonlWriter::SessionOf(const TraceCall& call) {
  std::string_view text = call.apiLineText();
  std::string_view name = ApiNameOf(text);
  if (name == "connect") return SessionOpenedBy(call);
  if (name.size() == text.size()) return std::string_view();
  std::string_view rest = text.substr(name.size() + 1);
  return rest.substr(0, CallArgumentLength(rest));
}

}  // namespace quintrel
