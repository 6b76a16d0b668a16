#include "analysis/query_text_compactor.h"

#include <algorithm>

#include "analysis/fingerprint.h"
#include "analysis/profile_analytics.h"
#include "analysis/query_record.h"
#include "analysis/query_tracker.h"
#include "parse/trace_call.h"
#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

constexpr size_t kNone = std::string_view::npos;
// Of the lines that continue an API line, the first bytes kept as they are;
// the text is shortened again each time it grows by as much as it holds, and
// by twice that at least, so that it is read a few times at most.
constexpr size_t kKeptContinuation = size_t{1} << 20;
// Of a long word, the bytes its class can show.
constexpr size_t kWordShown = kMaxFingerprint + 1;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLineEnd(char c) { return c == '\n' || c == '\r' || c == '\f'; }

// Whether `word` is digits with at most one decimal point: a number as long
// as what follows keeps it one.
bool IsNumberSoFar(std::string_view word) {
  if (word.empty() || !IsDigit(word[0])) return false;
  size_t points = 0;
  for (char c : word) {
    if (c == '.') {
      ++points;
    } else if (!IsDigit(c)) {
      return false;
    }
  }
  return points <= 1;
}

// Where the last line of `text` begins: after its last line feed, carriage
// return or form feed, as the query's start is looked for.
size_t LastLineStart(std::string_view text) {
  size_t at = text.size();
  while (at > 0 && !IsLineEnd(text[at - 1])) --at;
  return at;
}

// Whether `line`, the last of a text, may begin a query once more text
// follows, or begins one whose query text starts past its first `kept`
// bytes.
bool MayBeginQuery(std::string_view line, size_t kept) {
  size_t start = QueryTracker::QueryTextStart(line);
  if (start != kNone) return start > kept;
  for (const QueryApiSyntax& api : kQueryApis) {
    size_t shared = std::min(line.size(), api.name.size());
    if (line.substr(0, shared) != api.name.substr(0, shared)) continue;
    if (line.size() <= api.name.size() || line[api.name.size()] == ',') return true;
  }
  return false;
}

}  // namespace

QueryTextCompactor::QueryTextCompactor(std::string_view text, size_t glued, size_t kept)
    : text_(text),
      glued_(glued),
      kept_(std::min(kept, text.size())),
      afterBlank_(kept_ > 0 && IsQueryBlank(text[kept_ - 1])) {}

const std::string& QueryTextCompactor::tail() {
  size_t at = 0;
  bool cut = false;
  while (at < text_.size()) {
    if (cut && at >= kept_) {
      // Past the cut the class reads nothing but whether more follows, and
      // where an IN list it began to read breaks: here at the latest.
      if (!afterBlank_) tail_.push_back(' ');
      writeOther('x');
      break;
    }
    size_t end = cut ? tokenEnd(at) : at + AppendQueryToken(text_, glued_, at, &class_);
    bool in = !cut && end == at + 2 && QueryWordLength(text_, glued_, at) == 2 &&
              (text_[at] | 0x20) == 'i' && (text_[at + 1] | 0x20) == 'n';
    if (in && listRunsToEnd(end)) {
      writeOpenList(at);
      break;
    }
    if (end > kept_) writeToken(at, end);
    cut = cut || (class_.size() > kMaxFingerprint && stableAt(at, end));
    at = end;
  }
  // The line a later piece begins is where it was.
  char last = text_.empty() ? ' ' : text_.back();
  if (text_.size() > kept_ && IsLineEnd(last) && (tail_.empty() || tail_.back() != last)) {
    tail_.push_back(last);
  }
  return tail_;
}

void QueryTextCompactor::CompactApiText(TraceCall* call) {
  CompactApiText(call, kKeptContinuation, kMaxExample);
}

void QueryTextCompactor::CompactApiText(TraceCall* call, size_t keptContinuation,
                                        size_t keptQuery) {
  size_t lineEnd = call->apiLineText().size();
  if (call->compactAt == 0) call->compactAt = lineEnd + 2 * keptContinuation;
  std::string_view text = call->apiText.view();
  if (text.size() < call->compactAt) return;
  call->compactAt = text.size() + std::max(text.size(), keptContinuation);
  // The API name and the connection the query is tracked by, and the
  // beginning of the query, are kept. A query_cmd text is left whole: a
  // later line may begin a query of its own in more ways than are worth
  // following.
  size_t start = QueryTracker::QueryTextStart(text);
  size_t comma = text.find(',');
  if (start == kNone) start = text.size();
  size_t kept = std::max(lineEnd + keptContinuation, start + keptQuery);
  if (start >= text.size() || comma >= kept || text.find(',', comma + 1) >= kept ||
      ApiNameOf(text) == QueryApiName(QueryApi::kQueryCmd)) {
    call->compactAt = kNone;
    return;
  }
  // The last line may yet begin a query of its own: it is kept as it is.
  size_t lastLine = LastLineStart(text);
  size_t end = text.size();
  if (MayBeginQuery(text.substr(lastLine), kept - std::min(kept, lastLine))) {
    if (lastLine < kept) return;
    end = lastLine;
  }
  size_t glued = start <= lineEnd ? lineEnd - start : kNone;
  QueryTextCompactor compactor(text.substr(start, end - start), glued, kept - start);
  std::string tail = compactor.tail();
  tail.append(text.substr(end));
  call->apiText.truncate(kept);
  call->apiText.append(tail);
  call->compactAt = call->apiText.size() + std::max(call->apiText.size(), 2 * keptContinuation);
}

// Whether more text could make the word at `begin` longer, or another.
bool QueryTextCompactor::stableWord(size_t begin, size_t end) const {
  if (end >= text_.size()) return false;
  return !(text_[end] == '.' && end + 1 == text_.size() && IsDigit(text_[begin]));
}

// Whether the token from `begin` to `end` ends and reads the same whatever
// follows the text.
bool QueryTextCompactor::stableAt(size_t begin, size_t end) const {
  char c = text_[begin];
  if (c == '\'') return end < text_.size();
  if (!IsQueryWordByte(c)) return true;
  size_t word = begin + QueryWordLength(text_, glued_, begin);
  return end > word || stableWord(begin, word);  // a folded IN list is closed
}

// Whether what follows "in" at `at` is an IN list that runs to the end of the
// text, as far as the class reads it: more text may close it or break it.
// Notes where its last comma is.
bool QueryTextCompactor::listRunsToEnd(size_t at) {
  size_t size = text_.size();
  lastComma_ = kNone;
  at = skipBlanks(at);
  if (at >= size) return true;
  if (text_[at] != '(') return false;
  do {
    at = skipBlanks(at + 1);
    if (at >= size) return true;
    char c = text_[at];
    size_t end = tokenEnd(at);
    if (c == '\'') {
      if (end >= size) return true;
    } else if (IsQueryWordByte(c)) {
      if (!stableWord(at, end)) return true;
      if (!IsQueryValueWord(text_.substr(at, end - at))) return false;
    } else if (c != '?') {
      return false;
    }
    at = skipBlanks(end);
    if (at >= size) return true;
    if (text_[at] == ',') lastComma_ = at;
  } while (text_[at] == ',');
  return false;
}

// Where the literal, word or other byte at `at` ends; an IN list is not
// folded.
size_t QueryTextCompactor::tokenEnd(size_t at) const {
  char c = text_[at];
  if (c == '\'') return at + QueryLiteralLength(text_.substr(at));
  if (IsQueryWordByte(c)) return at + QueryWordLength(text_, glued_, at);
  return at + 1;
}

size_t QueryTextCompactor::skipBlanks(size_t at) const {
  while (at < text_.size() && IsQueryBlank(text_[at])) ++at;
  return at;
}

// Writes what replaces the token from `begin` to `end` past the bytes kept.
void QueryTextCompactor::writeToken(size_t begin, size_t end) {
  char c = text_[begin];
  if (c == '\'') return writeLiteral(begin);
  if (IsQueryBlank(c)) return writeBlank(begin);
  if (!IsQueryWordByte(c)) return writeOther(c);
  if (end > begin + QueryWordLength(text_, glued_, begin)) return writeClosedList(begin);
  writeWord(begin, end);
}

// A run of blanks reads as one; one that ends the text keeps its last byte
// and, as the class may end at its first, whether more follow.
void QueryTextCompactor::writeBlank(size_t at) {
  bool last = at + 1 == text_.size();
  if (last && IsLineEnd(text_[at])) {
    tail_.push_back(text_[at]);
  } else if (!afterBlank_ || last) {
    tail_.push_back(' ');
  }
  afterBlank_ = true;
}

void QueryTextCompactor::writeOther(char c) {
  tail_.push_back(c);
  afterBlank_ = false;
}

// A literal keeps its quotes: the opening one, or the bytes kept and the one
// that may begin a doubled quote; the closing one if it has one, or the
// quote at the end that more text may double.
void QueryTextCompactor::writeLiteral(size_t begin) {
  size_t from = std::max(begin + 1, kept_);
  size_t at = begin + 1, resume = kNone;
  bool closes = false;
  while (at < text_.size() && !closes) {
    if (resume == kNone && at >= from) resume = at;
    if (text_[at] != '\'') {
      ++at;
    } else if (at + 1 < text_.size() && text_[at + 1] == '\'') {
      at += 2;
    } else {
      closes = true;
    }
  }
  if (resume == kNone) resume = at;
  if (begin >= kept_) {
    tail_.push_back('\'');
  } else {
    tail_.append(text_.substr(kept_, resume - kept_));
  }
  if (closes) tail_.push_back('\'');
  afterBlank_ = false;
}

// A word that is a value and ends is "?"; a long one keeps the bytes its
// class can show and what keeps it a number, with or without its decimal
// point, or no number, however it goes on.
void QueryTextCompactor::writeWord(size_t begin, size_t end) {
  afterBlank_ = false;
  std::string_view word = text_.substr(begin, end - begin);
  if (begin >= kept_ && stableWord(begin, end) && IsQueryValueWord(word)) {
    tail_.push_back('?');
    return;
  }
  size_t from = std::max(begin, kept_) - begin;
  size_t shown = std::max(from, kWordShown);
  if (word.size() <= shown + 3) {
    tail_.append(word.substr(from));
    return;
  }
  tail_.append(word.substr(from, shown - from));
  if (word[shown - 1] == '.') tail_.push_back('1');
  if (!IsNumberSoFar(word)) {
    tail_.push_back('x');
  } else if (word.find('.', shown) != kNone) {
    tail_.append(".1");
  }
}

// A closed IN list folds whatever its values: the bytes kept, then one value
// where they end before one, and the closing parenthesis.
void QueryTextCompactor::writeClosedList(size_t begin) {
  afterBlank_ = false;
  if (begin >= kept_) {
    tail_.append("in (?+)");
    return;
  }
  size_t at = begin + 2;
  if (kept_ < at) tail_.append(text_.substr(kept_, at - kept_));
  at = skipBlanks(at);
  if (kept_ <= at) {
    tail_.append("(?)");
    return;
  }
  // The list is closed past the bytes kept: the loop ends there.
  while (true) {
    at = skipBlanks(at + 1);
    if (kept_ <= at) {
      tail_.append("?)");
      return;
    }
    size_t value = tokenEnd(at);
    if (kept_ < value) writeToken(at, value);
    at = skipBlanks(value);
    if (kept_ <= at) {
      tail_.push_back(')');
      return;
    }
  }
}

// An IN list open at the end of the text, from its "in": its class, broken,
// is cut once it reads enough values; closed, it folds. Past both, the
// values up to its last comma are not needed.
void QueryTextCompactor::writeOpenList(size_t in) {
  size_t at = in + 2;
  if (at > kept_) writeWord(in, at);
  bool cut = class_.size() > kMaxFingerprint, dropped = false;
  while (at < text_.size()) {
    size_t end = cut ? tokenEnd(at) : at + AppendQueryToken(text_, glued_, at, &class_);
    char c = text_[at];
    bool value = c != '(' && c != ',' && !IsQueryBlank(c);
    if (end > kept_) writeToken(at, end);
    at = end;
    cut = cut || class_.size() > kMaxFingerprint;
    if (cut && value && !dropped && end > kept_) {
      dropped = true;
      if (lastComma_ != kNone && lastComma_ >= end) at = lastComma_;
    }
  }
}

}  // namespace quintrel
