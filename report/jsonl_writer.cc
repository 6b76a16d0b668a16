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
#include "report/line_end.h"

namespace quintrel {

namespace {

void AppendNumber(int64_t value, TextBuffer* out) {
  char digits[24];
  out->append(std::string_view(digits, std::to_chars(digits, digits + 24, value).ptr - digits));
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
  line_.push_back('}');
  out_->write(line_.view().data(), line_.size());
  EndLine(*out_);
}

void JsonlWriter::appendStart(std::string_view stamp) {
  // Calls come many to a second: the date and time of day are formatted
  // once per second, the sub-second number for each call.
  size_t space = stamp.rfind(' ');
  std::string_view head = stamp.substr(0, space == std::string_view::npos ? 0 : space);
  std::string_view micros = stamp.substr(head.size() + (space != std::string_view::npos));
  bool digits = !micros.empty() && micros.size() <= 6 &&
                micros.find_first_not_of("0123456789") == std::string_view::npos;
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
  for (char c : micros) value = value * 10 + (c - '0');
  char iso[kIsoHead + 8];
  std::copy(isoHead_, isoHead_ + kIsoHead, iso);
  AppendDigits(digits ? value : 0, 6, iso + kIsoHead);
  line_.append(",\"start\":\"");
  line_.append(std::string_view(iso, kIsoHead + 6));
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
  CallFingerprint(call.apiLineText(), &fingerprint_);
  line_.append(",\"class\":\"");
  line_.append(ClassId(ClassKind::kCall, fingerprint_));
  line_.append("\",\"queryClass\":");
  if (queryStart == std::string_view::npos) {
    line_.append("null");
    return;
  }
  // As query tracking reads it: the first continuation line is glued to the
  // API line.
  std::string_view apiText = call.apiText.view();
  size_t lineEnd = call.apiLineText().size();
  bool glued = apiText.size() > lineEnd && queryStart <= lineEnd;
  QueryFingerprint(apiText.substr(queryStart),
                   glued ? lineEnd - queryStart : std::string_view::npos, &fingerprint_);
  line_.push_back('"');
  line_.append(ClassId(ClassKind::kQuery, fingerprint_));
  line_.push_back('"');
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
