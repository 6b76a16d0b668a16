// Writing trace texts as JSON strings that every JSON reader takes, whatever
// bytes the trace holds.
#ifndef QUINTREL_REPORT_JSON_TEXT_H_
#define QUINTREL_REPORT_JSON_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "parse/text_buffer.h"

// The eight-byte checks read a text's first byte as the lowest of a word.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "quintrel's text checks need a little-endian machine"
#endif

namespace quintrel {

// Appends the characters of `text` as they stand inside a JSON string, without
// the quotes: '"' and '\' escaped, control characters as \n, \t, \r or \u00XX,
// and every byte outside a valid UTF-8 sequence (surrogates included) as
// U+FFFD, one replacement per byte.
void AppendJsonChars(std::string_view text, TextBuffer* out);
// The most bytes those characters take for one byte of text (a control
// character as \u00XX).
constexpr size_t kJsonCharRoom = 6;
// Writes the byte at `at` that needs care (not plain, see below), or the
// whole valid UTF-8 sequence it begins, as AppendJsonChars does; returns
// where the text goes on.
const char* WriteJsonEscape(const char* at, const char* end, char** out);

// The bytes that stand for themselves: printable ASCII but '"' and '\'.
constexpr bool IsJsonPlain(unsigned char c) {
  return c >= 0x20 && c < 0x80 && c != '"' && c != '\\';
}
// Looked up for each byte the eight-byte check does not pass; the second
// table leaves out the comma too, for arguments.
struct JsonPlainBytes {
  bool plain[256] = {};
  bool plainBeforeComma[256] = {};
  constexpr JsonPlainBytes() {
    for (int c = 0; c < 256; ++c) {
      plain[c] = IsJsonPlain(static_cast<unsigned char>(c));
      plainBeforeComma[c] = plain[c] && c != ',';
    }
  }
};
inline constexpr JsonPlainBytes kJsonPlainBytes;

// The high bits of the bytes of `block` that are not plain. A borrow of the
// subtractions marks only bytes after one that is marked rightly, so the
// first mark is exact.
inline uint64_t JsonCareMarks(uint64_t block) {
  const uint64_t ones = 0x0101010101010101ull;
  uint64_t quote = block ^ (ones * '"');
  uint64_t backslash = block ^ (ones * '\\');
  uint64_t marks = ((block - ones * 0x20) & ~block) | ((quote - ones) & ~quote) |
                   ((backslash - ones) & ~backslash) | block;
  return marks & (ones * 0x80);
}

// The high bits of the zero bytes of `block`, exact up to the first.
inline uint64_t ZeroByteMarks(uint64_t block) {
  const uint64_t ones = 0x0101010101010101ull;
  return (block - ones) & ~block & (ones * 0x80);
}

// Writes what AppendJsonChars appends into `out`, which has room for
// kJsonCharRoom bytes per byte of `text`, up to the first comma (with
// `toComma`) or the end; returns the end of what it wrote, and `*read`
// (unless null) says how far it read. Inline: the JSONL listing writes every
// field of every call through it.
inline char* WriteJsonCharsUntil(std::string_view text, bool toComma, char* out, size_t* read) {
  const char* at = text.data();
  const char* end = at + text.size();
  // Without a stop, the bytes looked for besides are the zero bytes, which
  // are not plain anyway.
  const uint64_t stops = toComma ? 0x0101010101010101ull * ',' : 0;
  const bool* plain = toComma ? kJsonPlainBytes.plainBeforeComma : kJsonPlainBytes.plain;
  for (;;) {
    // Eight bytes checked and copied at once, up to the first that needs
    // care; the room holds the bytes copied past it.
    for (uint64_t block; end - at >= 8;) {
      std::memcpy(&block, at, 8);
      std::memcpy(out, &block, 8);
      uint64_t marks = JsonCareMarks(block) | ZeroByteMarks(block ^ stops);
      size_t plain = marks == 0 ? 8 : static_cast<size_t>(__builtin_ctzll(marks)) / 8;
      at += plain;
      out += plain;
      if (plain < 8) break;
    }
    while (at < end && plain[static_cast<unsigned char>(*at)]) *out++ = *at++;
    if (at == end || (toComma && *at == ',')) break;
    at = WriteJsonEscape(at, end, &out);
  }
  if (read != nullptr) *read = static_cast<size_t>(at - text.data());
  return out;
}

inline char* WriteJsonChars(std::string_view text, char* out) {
  return WriteJsonCharsUntil(text, false, out, nullptr);
}

// Appends `text` as one quoted JSON string.
void AppendJsonString(std::string_view text, TextBuffer* out);

// Where a text may be cut into pieces that AppendJsonChars writes as it
// writes the whole: at most `size` (> 3) bytes, shorter only to keep a UTF-8
// sequence whole.
size_t JsonPieceLength(std::string_view text, size_t size);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_JSON_TEXT_H_
