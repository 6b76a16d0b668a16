// Fingerprints: the class a query or a call belongs to, its text with the
// parts that differ from one call of the same kind to the next replaced by
// "?". Calls that differ only in a literal share a fingerprint.
#ifndef QUINTREL_ANALYSIS_FINGERPRINT_H_
#define QUINTREL_ANALYSIS_FINGERPRINT_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "analysis/word_bytes.h"

namespace quintrel {

// Fingerprints are cut to this many bytes, then "..." follows; classes whose
// texts only differ beyond it are one class.
constexpr size_t kMaxFingerprint = 2048;

// The class of a query text, one rule at a time: string literals '...'
// (with '' inside) become ?, so do numbers and 16-hex-digit object ids; an
// IN list of such values becomes "in (?+)", whatever its blanks and length;
// runs of blanks, tabs and line feeds become one blank; words outside
// literals are lower-cased; trailing blanks and semicolons are dropped.
// `glued` is where the trace joined two lines of the text without a line
// feed (npos: nowhere); it reads as a blank. Writes it to `out`, replacing
// its text.
void QueryFingerprint(std::string_view query, size_t glued, std::string* out);
inline void QueryFingerprint(std::string_view query, std::string* out) {
  QueryFingerprint(query, std::string_view::npos, out);
}

// The steps QueryFingerprint reads a query text by, for those that must
// know where its tokens end and what they become (QueryTextCompactor).
//
// Appends the class of the token at `at` of `query` (a literal, a blank, a
// word, an IN list after "in", or another byte), after the blank `glued`
// reads as where `at` is there; returns the token's length.
size_t AppendQueryToken(std::string_view query, size_t glued, size_t at, std::string* out);
// The length of the quoted literal at the start of `text` (unclosed: all of
// it); a doubled quote inside stands for one.
size_t QueryLiteralLength(std::string_view text);
// The length of the word at `at` of `query`, which a join at `glued` ends.
size_t QueryWordLength(std::string_view query, size_t glued, size_t at);
// Whether a whole word becomes "?": a number or a 16-hex-digit object id.
bool IsQueryValueWord(std::string_view word);
// Whether the byte is part of words, or a blank.
bool IsQueryWordByte(char c);
bool IsQueryBlank(char c);

// Arguments of a call are cut to this many bytes, then "..." follows.
constexpr size_t kMaxCallArgument = 64;
// The bytes CallFingerprint may write before it cuts: the text to the cut,
// then one more comma and argument.
constexpr size_t kCallFingerprintRoom = kMaxFingerprint + 1 + kMaxCallArgument + 3;

// The class of a call text: the API name, then each argument, with object
// ids, numbers, quoted literals and handles as ?: the connection "c" and
// any letter followed by digits, as sessions ("s12") and collections ("q3")
// are named. Other arguments, attribute names among them, stay; one over
// kMaxCallArgument bytes is cut, with "...". "fetch,s3,4e21100000002a11"
// gives "fetch,?,?". Writes it to `out`, which has room for
// kCallFingerprintRoom bytes, and returns its length; the bytes of the room
// past it may be overwritten with others. Where `nameSize` is
// given, sets it to the length of the API name in `callText` (the bytes
// before its first comma), which the fingerprint reads anyway.
size_t CallFingerprint(std::string_view callText, char* out, size_t* nameSize = nullptr);
// The same, replacing the text of `out`.
void CallFingerprint(std::string_view callText, std::string* out);

// The length of the API name at the start of `callText`, the bytes before
// its first comma (ApiNameOf(callText).size()).
// Inline: most names are found in the first eight bytes at once.
inline size_t ApiNameLength(std::string_view callText) {
  size_t at = 0;
  if (callText.size() >= 8) {
    uint64_t word;
    std::memcpy(&word, callText.data(), 8);
    uint64_t commas = CommaBytes(word);
    if (commas != 0) return __builtin_ctzll(commas) / 8;
    at = 8;
  }
  while (at < callText.size() && callText[at] != ',') ++at;
  return at;
}

// Where the second argument of `callText`, whose API name is `nameSize`
// bytes long, is an object id (16 hex digits), as calls on objects name it
// after their handle: its offset; npos where it is not. CallFingerprint
// makes such an id "?", so that texts that differ only there share a class.
// Inline: most calls are asked.
inline size_t ObjectIdAfterHandle(std::string_view callText, size_t nameSize) {
  size_t size = callText.size(), at = nameSize + 1;
  // A quote may begin a literal that holds commas: the arguments after it
  // are not found by commas alone.
  if (at + 1 + kObjectIdSize > size || callText[at] == '\'' || callText[at] == '"') {
    return std::string_view::npos;
  }
  while (at < size && callText[at] != ',') ++at;
  size_t start = at + 1, end = start + kObjectIdSize;
  if (end > size || (end < size && callText[end] != ',')) return std::string_view::npos;
  return IsObjectIdAt(callText.data() + start) ? start : std::string_view::npos;
}

// The length of the call argument at the start of `text` (the text after a
// comma): up to the next comma, or, for an argument that begins with a quote,
// the next comma after its closing quote.
size_t CallArgumentLength(std::string_view text);

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_FINGERPRINT_H_
