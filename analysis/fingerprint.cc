#include "analysis/fingerprint.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "analysis/text_index.h"
#include "analysis/word_bytes.h"

namespace quintrel {

namespace {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The bytes of words, by table: asked of every byte of a query.
struct WordBytes {
  bool of[256] = {};
  constexpr WordBytes() {
    for (int c = 0; c < 256; ++c) {
      char byte = static_cast<char>(c);
      of[c] = IsDigit(byte) || IsLetter(byte) || byte == '_' || c >= 0x80;
    }
  }
};
constexpr WordBytes kWordBytes;

bool IsWordByte(char c) { return kWordBytes.of[static_cast<unsigned char>(c)]; }

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

constexpr bool IsHexDigit(char c) {
  char lower = Lower(c);
  return IsDigit(c) || (lower >= 'a' && lower <= 'f');
}

// Whether `word` is a number: "42", "3.5".
bool IsNumber(std::string_view word) {
  if (word.empty() || !IsDigit(word[0])) return false;
  bool point = false;
  for (char c : word) {
    if (c == '.') {
      if (point) return false;
      point = true;
    } else if (!IsDigit(c)) {
      return false;
    }
  }
  return true;
}

bool IsObjectId(std::string_view word) {
  if (word.size() != 16) return false;
  for (char c : word) {
    if (!IsHexDigit(c)) return false;
  }
  return true;
}

// Whether `word` is a number or a 16-hex-digit object id.
bool IsValueWord(std::string_view word) { return IsNumber(word) || IsObjectId(word); }

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
  // Past the cut nothing is kept: a word of megabytes is not copied whole.
  size_t from = out->size();
  size_t kept = std::min(word.size(), kMaxFingerprint + 1 - std::min(from, kMaxFingerprint));
  out->append(word.substr(0, kept));
  char* lowered = &(*out)[from];
  for (size_t at = 0; at < kept; ++at) lowered[at] = Lower(word[at]);
  return word.size();
}

// Appends the fingerprint of the literal, blank, word or other byte at `at`;
// returns the bytes it read.
inline size_t AppendToken(const QueryText& text, size_t at, std::string* out) {
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

// What a byte of a call argument can be part of, as bits.
const uint8_t kDigitByte = 1;   // of a handle's number or a number
const uint8_t kHexByte = 2;     // of an object id
const uint8_t kNumberByte = 4;  // of a number: digits and a decimal point

struct ByteKinds {
  uint8_t of[256] = {};
  constexpr ByteKinds() {
    for (int c = 0; c < 256; ++c) {
      char byte = static_cast<char>(c);
      if (IsDigit(byte)) of[c] = kDigitByte | kNumberByte;
      if (IsHexDigit(byte)) of[c] |= kHexByte;
    }
    of[static_cast<unsigned char>('.')] = kNumberByte;
  }
};
constexpr ByteKinds kByteKinds;

// Reads the unquoted argument at the start of `text`, up to the next comma,
// in one pass; sets `*length` and returns whether it becomes ?: a handle
// (the connection "c", or a letter and digits, as sessions "s0" and
// collections "q12" are named), a number or an object id.
bool ReadPlainArgument(std::string_view text, size_t* length) {
  size_t id = kObjectIdSize;
  if (text.size() >= id && (text.size() == id || text[id] == ',') && IsObjectIdAt(text.data())) {
    *length = id;
    return true;
  }
  if (text.empty() || text[0] == ',') {
    *length = 0;
    return false;
  }
  uint8_t rest = kDigitByte | kHexByte | kNumberByte;  // of the bytes after the first
  size_t at = 1;
  for (; at < text.size() && text[at] != ',' && rest != 0; ++at) {
    rest &= kByteKinds.of[static_cast<unsigned char>(text[at])];
  }
  if (rest == 0) {
    // Nothing that folds: the rest is found faster than read.
    *length = std::min(text.size(), text.find(',', at));
    return false;
  }
  *length = at;
  char first = text[0];
  uint8_t all = rest & kByteKinds.of[static_cast<unsigned char>(first)];
  if (at == 1 && first == 'c') return true;
  if (at > 1 && IsLetter(first) && (rest & kDigitByte)) return true;
  if (at == kObjectIdSize && (all & kHexByte)) return true;
  if (!IsDigit(first) || !(all & kNumberByte)) return false;
  return (all & kDigitByte) != 0 || IsNumber(text.substr(0, at));
}

// Appends `argument` to `out` at `*size`, cut to kMaxCallArgument bytes.
void AppendCut(std::string_view argument, char* out, size_t* size) {
  size_t kept = std::min(argument.size(), kMaxCallArgument);
  CopyText(std::string_view(argument.data(), kept), out + *size);
  *size += kept;
  if (kept < argument.size()) {
    std::memcpy(out + *size, "...", 3);
    *size += 3;
  }
}

// Appends the fingerprint of the call argument at the start of `text` to
// `out` at `*size`; returns its length. A quoted literal may hold commas:
// the argument runs past it to the next comma.
size_t AppendArgument(std::string_view text, char* out, size_t* size) {
  size_t length;
  bool folds;
  if (!text.empty() && (text[0] == '\'' || text[0] == '"')) {
    length = CallArgumentLength(text);
    folds = LiteralLength(text) == length;
  } else {
    folds = ReadPlainArgument(text, &length);
  }
  if (folds) {
    out[(*size)++] = '?';
  } else {
    AppendCut(std::string_view(text.data(), length), out, size);
  }
  return length;
}

}  // namespace

size_t CallArgumentLength(std::string_view text) {
  bool quoted = !text.empty() && (text[0] == '\'' || text[0] == '"');
  return std::min(text.size(), text.find(',', quoted ? LiteralLength(text) : 0));
}

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

size_t AppendQueryToken(std::string_view query, size_t glued, size_t at, std::string* out) {
  if (at == glued) AppendBlank(out);
  return AppendToken(QueryText{query, glued}, at, out);
}

size_t QueryLiteralLength(std::string_view text) { return LiteralLength(text); }

size_t QueryWordLength(std::string_view query, size_t glued, size_t at) {
  return QueryText{query, glued}.wordAt(at).size();
}

bool IsQueryValueWord(std::string_view word) { return IsValueWord(word); }
bool IsQueryWordByte(char c) { return IsWordByte(c); }
bool IsQueryBlank(char c) { return IsBlank(c); }

size_t CallFingerprint(std::string_view callText, char* out, size_t* nameSize) {
  size_t at = ApiNameLength(callText);
  if (nameSize != nullptr) *nameSize = at;
  // Of a longer API name, the bytes past the cut are dropped anyway.
  size_t size = std::min(at, kMaxFingerprint + 1);
  if (size < 8 && callText.size() >= 8) {
    std::memcpy(out, callText.data(), 8);  // what follows the name is overwritten
  } else {
    CopyText(callText.substr(0, size), out);
  }
  // `at` is at a comma or at the end.
  while (at < callText.size() && size <= kMaxFingerprint) {
    out[size++] = ',';
    ++at;
    at += AppendArgument(callText.substr(at), out, &size);
  }
  if (size > kMaxFingerprint) {
    std::memcpy(out + kMaxFingerprint, "...", 3);
    size = kMaxFingerprint + 3;
  }
  return size;
}

void CallFingerprint(std::string_view callText, std::string* out) {
  char room[kCallFingerprintRoom];
  out->assign(room, CallFingerprint(callText, room));
}

}  // namespace quintrel
