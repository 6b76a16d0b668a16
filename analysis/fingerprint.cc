#include "analysis/fingerprint.h"

namespace quintrel {

namespace {

const size_t kMaxArgument = 64;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsWordByte(char c) {
  return IsDigit(c) || IsLetter(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The length of the quoted literal at the start of `text` (unclosed: all of
// it); a doubled quote inside stands for one.
size_t LiteralLength(std::string_view text) {
  char quote = text[0];
  size_t at = 1;
  while (at < text.size()) {
    if (text[at] != quote) {
      ++at;
    } else if (at + 1 < text.size() && text[at + 1] == quote) {
      at += 2;
    } else {
      return at + 1;
    }
  }
  return at;
}

// Whether `word` is a number ("42", "3.5") or a 16-hex-digit object id.
bool IsValueWord(std::string_view word) {
  if (word.size() == 16 && word.find_first_not_of("0123456789abcdefABCDEF") == word.npos) {
    return true;
  }
  size_t points = 0;
  for (char c : word) {
    if (c == '.') ++points;
    if (!IsDigit(c) && c != '.') return false;
  }
  return points <= 1 && IsDigit(word[0]);
}

// The length of the word at the start of `text`: a run of word bytes, with a
// decimal point inside a number.
size_t WordLength(std::string_view text) {
  size_t at = 0;
  while (at < text.size() &&
         (IsWordByte(text[at]) || (text[at] == '.' && at > 0 && IsDigit(text[0]) &&
                                   at + 1 < text.size() && IsDigit(text[at + 1])))) {
    ++at;
  }
  return at;
}

// A query text and the line break the trace dropped from it, at `glued`
// (npos: none): a separator of no width that ends the word before it.
struct QueryText {
  std::string_view bytes;
  size_t glued;

  std::string_view wordAt(size_t at) const {
    size_t end = at < glued ? glued : bytes.size();
    return bytes.substr(at, WordLength(bytes.substr(at, end - at)));
  }
  size_t skipBlanks(size_t at) const {
    while (at < bytes.size() && IsBlank(bytes[at])) ++at;
    return at;
  }
};

bool IsInKeyword(std::string_view word) {
  return word.size() == 2 && Lower(word[0]) == 'i' && Lower(word[1]) == 'n';
}

// The length of the IN-list value at `at`: a literal, a number, an object id
// or a "?"; 0 for anything else.
size_t InValueLength(const QueryText& text, size_t at) {
  if (at >= text.bytes.size()) return 0;
  char c = text.bytes[at];
  if (c == '\'') return LiteralLength(text.bytes.substr(at));
  if (c == '?') return 1;
  if (!IsWordByte(c)) return 0;
  std::string_view word = text.wordAt(at);
  return IsValueWord(word) ? word.size() : 0;
}

// The length of the IN list that follows the word "in" at `at`: "(", values
// separated by commas, ")", with any blanks around each; 0 when no such list
// is there. Folded from the text itself, so that neither its blanks nor its
// length (past the cut) keep it apart.
size_t InListLength(const QueryText& text, size_t at) {
  size_t from = at;
  at = text.skipBlanks(at);
  if (at >= text.bytes.size() || text.bytes[at] != '(') return 0;
  do {
    at = text.skipBlanks(at + 1);
    size_t value = InValueLength(text, at);
    if (value == 0) return 0;
    at = text.skipBlanks(at + value);
  } while (at < text.bytes.size() && text.bytes[at] == ',');
  if (at >= text.bytes.size() || text.bytes[at] != ')') return 0;
  return at + 1 - from;
}

void AppendBlank(std::string* out) {
  if (!out->empty() && out->back() != ' ') out->push_back(' ');
}

// Appends the fingerprint of the word at `at`; returns the bytes it read.
size_t AppendWord(const QueryText& text, size_t at, std::string* out) {
  std::string_view word = text.wordAt(at);
  if (IsValueWord(word)) {
    out->push_back('?');
    return word.size();
  }
  if (IsInKeyword(word)) {
    size_t list = InListLength(text, at + word.size());
    if (list > 0) {
      out->append("in (?+)");
      return word.size() + list;
    }
  }
  for (char c : word) out->push_back(Lower(c));
  return word.size();
}

// Appends the fingerprint of the literal, blank, word or other byte at `at`;
// returns the bytes it read.
size_t AppendToken(const QueryText& text, size_t at, std::string* out) {
  char c = text.bytes[at];
  if (c == '\'') {
    out->push_back('?');
    return LiteralLength(text.bytes.substr(at));
  }
  if (IsBlank(c)) {
    AppendBlank(out);
    return 1;
  }
  if (IsWordByte(c)) return AppendWord(text, at, out);
  out->push_back(c);
  return 1;
}

void Cut(std::string* text, size_t limit) {
  if (text->size() > limit) text->replace(limit, std::string::npos, "...");
}

// Whether a call argument is a handle: the connection "c", or a letter and
// digits, as sessions ("s0") and collections ("q12") are named.
bool IsHandle(std::string_view argument) {
  return argument == "c" || (argument.size() > 1 && IsLetter(argument[0]) &&
                             argument.find_first_not_of("0123456789", 1) == std::string_view::npos);
}

// The argument that starts at `text`: up to the next comma, or past a
// quoted literal (which may hold commas) to the next comma after it.
std::string_view ArgumentAt(std::string_view text) {
  size_t from = 0;
  if (!text.empty() && (text[0] == '\'' || text[0] == '"')) from = LiteralLength(text);
  return text.substr(0, text.find(',', from));
}

void AppendArgument(std::string_view argument, std::string* out) {
  bool literal = !argument.empty() && (argument[0] == '\'' || argument[0] == '"') &&
                 LiteralLength(argument) == argument.size();
  if (literal || IsHandle(argument) || (!argument.empty() && IsValueWord(argument))) {
    out->push_back('?');
  } else if (argument.size() > kMaxArgument) {
    out->append(argument.substr(0, kMaxArgument));
    out->append("...");
  } else {
    out->append(argument);
  }
}

}  // namespace

void QueryFingerprint(std::string_view query, size_t glued, std::string* out) {
  out->clear();
  QueryText text{query, glued};
  size_t at = 0;
  while (at < query.size() && out->size() <= kMaxFingerprint) {
    if (at == glued) AppendBlank(out);
    at += AppendToken(text, at, out);
  }
  // A text read in part ends at the cut, not at the query's end.
  if (at >= query.size()) {
    while (!out->empty() && (out->back() == ' ' || out->back() == ';')) out->pop_back();
  }
  Cut(out, kMaxFingerprint);
}

void CallFingerprint(std::string_view callText, std::string* out) {
  size_t comma = callText.find(',');
  out->assign(callText.substr(0, comma));
  while (comma != std::string_view::npos && out->size() <= kMaxFingerprint) {
    std::string_view argument = ArgumentAt(callText.substr(comma + 1));
    size_t next = comma + 1 + argument.size();
    if (next >= callText.size()) next = std::string_view::npos;
    out->push_back(',');
    AppendArgument(argument, out);
    comma = next;
  }
  Cut(out, kMaxFingerprint);
}

}  // namespace quintrel
