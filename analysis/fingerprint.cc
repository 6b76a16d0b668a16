#include "analysis/fingerprint.h"

namespace quintrel {

namespace {

const size_t kMaxArgument = 64;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordByte(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
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

void AppendBlank(std::string* out) {
  if (!out->empty() && out->back() != ' ') out->push_back(' ');
}

// Rewrites each "in (?, ?, ...)" (or "in(?,?)") of a normalized text as
// "in (?+)".
void FoldInLists(std::string* text) {
  for (size_t at = text->find("in"); at != std::string::npos; at = text->find("in", at + 1)) {
    if (at > 0 && IsWordByte((*text)[at - 1])) continue;
    size_t end = at + 2;
    if (end < text->size() && (*text)[end] == ' ') ++end;
    if (end >= text->size() || (*text)[end] != '(') continue;
    ++end;
    bool values = false;
    while (end < text->size() && (*text)[end] == '?') {
      values = true;
      ++end;
      if (text->compare(end, 2, ", ") == 0) {
        end += 2;
      } else if (end < text->size() && (*text)[end] == ',') {
        ++end;
      } else {
        break;
      }
    }
    if (values && end < text->size() && (*text)[end] == ')') {
      text->replace(at, end + 1 - at, "in (?+)");
    }
  }
}

void Cut(std::string* text, size_t limit) {
  if (text->size() > limit) text->replace(limit, std::string::npos, "...");
}

}  // namespace

void QueryFingerprint(std::string_view query, std::string* out) {
  out->clear();
  size_t at = 0;
  while (at < query.size() && out->size() <= kMaxFingerprint) {
    char c = query[at];
    if (c == '\'') {
      at += LiteralLength(query.substr(at));
      out->push_back('?');
    } else if (IsBlank(c)) {
      AppendBlank(out);
      ++at;
    } else if (IsWordByte(c)) {
      size_t length = WordLength(query.substr(at));
      std::string_view word = query.substr(at, length);
      if (IsValueWord(word)) {
        out->push_back('?');
      } else {
        for (char w : word) out->push_back(Lower(w));
      }
      at += length;
    } else {
      out->push_back(c);
      ++at;
    }
  }
  FoldInLists(out);
  while (!out->empty() && (out->back() == ' ' || out->back() == ';')) out->pop_back();
  Cut(out, kMaxFingerprint);
}

// The argument that starts at `text`: up to the next comma, or past a
// quoted literal (which may hold commas) to the next comma after it.
std::string_view ArgumentAt(std::string_view text) {
  size_t from = 0;
  if (!text.empty() && (text[0] == '\'' || text[0] == '"')) from = LiteralLength(text);
  return text.substr(0, text.find(',', from));
}

void CallFingerprint(std::string_view callText, std::string* out) {
  size_t comma = callText.find(',');
  out->assign(callText.substr(0, comma));
  while (comma != std::string_view::npos && out->size() <= kMaxFingerprint) {
    std::string_view argument = ArgumentAt(callText.substr(comma + 1));
    size_t next = comma + 1 + argument.size();
    if (next >= callText.size()) next = std::string_view::npos;
    out->push_back(',');
    bool connection =
        argument == "c" || (argument.size() > 1 && argument[0] == 's' &&
                            argument.find_first_not_of("0123456789", 1) == std::string_view::npos);
    bool literal = !argument.empty() && (argument[0] == '\'' || argument[0] == '"') &&
                   LiteralLength(argument) == argument.size();
    if (connection || literal || (!argument.empty() && IsValueWord(argument))) {
      out->push_back('?');
    } else if (argument.size() > kMaxArgument) {
      out->append(argument.substr(0, kMaxArgument));
      out->append("...");
    } else {
      out->append(argument);
    }
    comma = next;
  }
  Cut(out, kMaxFingerprint);
}

}  // namespace quintrel
