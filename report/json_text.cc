#include "report/json_text.h"

#include <cstdint>
#include <cstring>

#include "report/markup_escape.h"

namespace quintrel {

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";
const char kHex[] = "0123456789abcdef";

// The escape of an ASCII byte, or null when it stands as it is.
const char* AsciiEscape(unsigned char c) {
  switch (c) {
    case '"':
      return "\\\"";
    case '\\':
      return "\\\\";
    case '\n':
      return "\\n";
    case '\t':
      return "\\t";
    case '\r':
      return "\\r";
    default:
      return nullptr;
  }
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

constexpr bool IsPlain(unsigned char c) { return c >= 0x20 && c < 0x80 && c != '"' && c != '\\'; }

// The high bits of the bytes of `block` that are not plain (below 0x20,
// '"', '\', from 0x80 on) or zero. A borrow of the subtractions marks only
// bytes after one that is marked rightly, so the first mark is exact.
uint64_t NonPlainMarks(uint64_t block) {
  const uint64_t ones = 0x0101010101010101ull;
  uint64_t quote = block ^ (ones * '"');
  uint64_t backslash = block ^ (ones * '\\');
  uint64_t marks = ((block - ones * 0x20) & ~block) | ((quote - ones) & ~quote) |
                   ((backslash - ones) & ~backslash) | block;
  return marks & (ones * 0x80);
}

// The high bits of the zero bytes of `block`, exact up to the first.
uint64_t ZeroMarks(uint64_t block) {
  const uint64_t ones = 0x0101010101010101ull;
  return (block - ones) & ~block & (ones * 0x80);
}

// The bytes that stand for themselves inside a JSON string, a table looked
// up for each byte that the eight-byte check does not pass.
struct PlainBytes {
  bool plain[256] = {};
  constexpr PlainBytes() {
    for (int c = 0; c < 256; ++c) plain[c] = IsPlain(static_cast<unsigned char>(c));
  }
};
constexpr PlainBytes kPlainBytes;

// Writes the byte at `at` that is not plain, or the whole UTF-8 sequence it
// begins; returns where the text goes on.
const char* WriteNonPlain(const char* at, const char* end, char** out) {
  unsigned char c = static_cast<unsigned char>(*at);
  if (c >= 0x80) {
    uint32_t code = 0;
    size_t length = DecodeUtf8(std::string_view(at, static_cast<size_t>(end - at)), &code);
    bool valid = length > 1 && (code < 0xD800 || code > 0xDFFF);
    const char* bytes = valid ? at : kReplacement;
    size_t size = valid ? length : 3;
    std::memcpy(*out, bytes, size);
    *out += size;
    return at + (valid ? length : 1);
  }
  const char* escape = AsciiEscape(c);
  const char control[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
  size_t size = escape != nullptr ? 2 : sizeof control;
  std::memcpy(*out, escape != nullptr ? escape : control, size);
  *out += size;
  return at + 1;
}

}  // namespace

char* WriteJsonChars(std::string_view text, char* out) {
  return WriteJsonCharsUntil(text, -1, out, nullptr);
}

char* WriteJsonCharsUntil(std::string_view text, int stop, char* out, size_t* read) {
  const char* at = text.data();
  const char* end = at + text.size();
  // Without a stop, the bytes equal to it are the zero bytes, not plain anyway.
  const uint64_t stops = 0x0101010101010101ull * static_cast<unsigned char>(stop < 0 ? 0 : stop);
  for (;;) {
    // Eight bytes checked and copied at once, up to the first that needs
    // care; the room holds the bytes copied past it.
    for (uint64_t block; end - at >= 8;) {
      std::memcpy(&block, at, 8);
      std::memcpy(out, &block, 8);
      uint64_t marks = NonPlainMarks(block) | ZeroMarks(block ^ stops);
      size_t plain = marks == 0 ? 8 : static_cast<size_t>(__builtin_ctzll(marks)) / 8;
      at += plain;
      out += plain;
      if (plain < 8) break;
    }
    // A stop of -1 equals no byte, read as unsigned.
    while (at < end && kPlainBytes.plain[static_cast<unsigned char>(*at)] &&
           static_cast<unsigned char>(*at) != stop) {
      *out++ = *at++;
    }
    if (at == end || static_cast<unsigned char>(*at) == stop) break;
    at = WriteNonPlain(at, end, &out);
  }
  if (read != nullptr) *read = static_cast<size_t>(at - text.data());
  return out;
}

void AppendJsonChars(std::string_view text, TextBuffer* out) {
  // A piece at a time, so that the room asked for stays a few times a
  // piece whatever the text's size.
  const size_t kPiece = 4096;
  while (!text.empty()) {
    size_t piece = JsonPieceLength(text, kPiece);
    out->commit(WriteJsonChars(text.substr(0, piece), out->room(piece * kJsonCharRoom)));
    text.remove_prefix(piece);
  }
}

void AppendJsonString(std::string_view text, TextBuffer* out) {
  out->push_back('"');
  AppendJsonChars(text, out);
  out->push_back('"');
}

size_t JsonPieceLength(std::string_view text, size_t size) {
  if (text.size() <= size) return text.size();
  size_t cut = size;
  // Back to the lead byte of the sequence the cut would split, if any.
  while (cut > size - 3 && IsContinuation(static_cast<unsigned char>(text[cut]))) --cut;
  bool lead = static_cast<unsigned char>(text[cut]) >= 0xC0;
  return lead || !IsContinuation(static_cast<unsigned char>(text[cut])) ? cut : size;
}

}  // namespace quintrel
