#include "parse/header_scanner.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "parse/trace_line.h"

namespace quintrel {

namespace {

// Bits of a byte's class.
constexpr uint8_t kDigit = 1;  // \d
constexpr uint8_t kWord = 2;   // \w
constexpr uint8_t kSpace = 4;  // [[:space:]]

constexpr std::array<uint8_t, 256> MakeByteClasses() {
  std::array<uint8_t, 256> classes{};
  for (int c = '0'; c <= '9'; ++c) classes[c] = kDigit | kWord;
  for (int c = 'A'; c <= 'Z'; ++c) classes[c] = kWord;
  for (int c = 'a'; c <= 'z'; ++c) classes[c] = kWord;
  classes['_'] = kWord;
  for (int c = '\t'; c <= '\r'; ++c) classes[c] = kSpace;  // \t \n \v \f \r
  classes[' '] = kSpace;
  return classes;
}

constexpr std::array<uint8_t, 256> kByteClasses = MakeByteClasses();

bool InClass(char c, uint8_t byteClass) {
  return (kByteClasses[static_cast<unsigned char>(c)] & byteClass) != 0;
}

// Each step below takes the position where its part of the header begins and
// returns the position after it, or one of these values, which every later
// step passes on unchanged.
constexpr size_t kMismatch = std::numeric_limits<size_t>::max();  // no header, whatever follows
constexpr size_t kTextEnded = kMismatch - 1;  // the text ended inside the header

// The bytes of `literal`. Where the text holds enough bytes they are compared
// at once (the literals are constants, so the comparison is inlined);
// otherwise byte by byte, to tell a mismatch from a text that ended.
size_t Literal(std::string_view text, size_t at, std::string_view literal) {
  if (at >= kTextEnded) return at;
  if (text.size() - at >= literal.size()) {
    return std::memcmp(text.data() + at, literal.data(), literal.size()) == 0 ? at + literal.size()
                                                                              : kMismatch;
  }
  for (char c : literal) {
    if (at == text.size()) return kTextEnded;
    if (text[at] != c) return kMismatch;
    ++at;
  }
  return at;
}

// One to kMaxHeaderField bytes of `byteClass`, as many as there are. `field`,
// if not null, receives them. Taking all of them never loses a match: no
// byte that may follow a run in the header belongs to the run's class, so a
// longer run is no header either.
size_t Run(std::string_view text, size_t at, uint8_t byteClass, std::string_view* field = nullptr) {
  if (at >= kTextEnded) return at;
  const size_t limit = std::min(text.size(), at + kMaxHeaderField + 1);
  size_t end = at;
  while (end < limit && InClass(text[end], byteClass)) ++end;
  if (end == at) return at == text.size() ? kTextEnded : kMismatch;
  if (end - at > kMaxHeaderField) return kMismatch;
  if (field != nullptr) *field = text.substr(at, end - at);
  return end;
}

// "[[:space:]]{1,2}". Taking the second one whenever it is there never loses
// a match: a digit must follow, and no digit is whitespace.
size_t OneOrTwoSpaces(std::string_view text, size_t at) {
  if (at >= kTextEnded) return at;
  if (at == text.size()) return kTextEnded;
  if (!InClass(text[at], kSpace)) return kMismatch;
  return at + 1 < text.size() && InClass(text[at + 1], kSpace) ? at + 2 : at + 1;
}

// "\w+ \w+[[:space:]]{1,2}\d+ \d+:\d+:\d+ \d+ ": the time stamp up to its
// sub-second number.
size_t StampHead(std::string_view text, size_t at) {
  at = Run(text, at, kWord);
  at = Literal(text, at, " ");
  at = Run(text, at, kWord);
  at = OneOrTwoSpaces(text, at);
  at = Run(text, at, kDigit);
  at = Literal(text, at, " ");
  at = Run(text, at, kDigit);
  at = Literal(text, at, ":");
  at = Run(text, at, kDigit);
  at = Literal(text, at, ":");
  at = Run(text, at, kDigit);
  at = Literal(text, at, " ");
  at = Run(text, at, kDigit);
  return Literal(text, at, " ");
}

// The stamp's sub-second number, which begins at `at`, and the rest of the
// header; the stamp began at `stampBegin`. Returns where the entry begins.
size_t Tail(std::string_view text, size_t at, size_t stampBegin, TraceLine* out) {
  at = Run(text, at, kDigit);
  if (at < kTextEnded) out->timeStamp = text.substr(stampBegin, at - stampBegin);
  at = Literal(text, at, " ( ");
  at = Run(text, at, kDigit, &out->seconds);
  at = Literal(text, at, ".");
  at = Run(text, at, kDigit, &out->fraction);
  at = Literal(text, at, " sec) ( ");
  at = Run(text, at, kDigit, &out->rpcCount);
  return Literal(text, at, " rpc) ");
}

// Everything before the entry; returns where the entry begins. `tailAt`
// receives where the stamp's sub-second number begins.
size_t Header(std::string_view text, TraceLine* out, size_t* tailAt) {
  size_t at = Literal(text, 0, "# [ ");
  at = Run(text, at, kDigit, &out->threadId);
  at = Literal(text, at, " ] ");
  const size_t stampBegin = at;
  at = StampHead(text, at);
  *tailAt = at;
  return Tail(text, at, stampBegin, out);
}

// The result for the header that ends where the entry begins at `entry`.
ScanResult Finish(std::string_view text, size_t entry, bool complete, TraceLine header,
                  TraceLine* out) {
  if (entry == kMismatch || (entry == kTextEnded && complete)) return ScanResult::kNotHeader;
  if (entry == kTextEnded) return ScanResult::kNeedMore;
  // The entry is ".*", and "." matches every byte: it is the rest of the line.
  header.entry = text.substr(entry);
  if (!ClassifyEntry(complete, &header)) return ScanResult::kNeedMore;
  *out = header;
  return ScanResult::kHeader;
}

}  // namespace

ScanResult ScanHeader(std::string_view text, bool complete, TraceLine* out) {
  out->kind = LineKind::kContinuation;
  TraceLine header;  // copied to `out` only if it is one
  size_t tailAt;
  const size_t entry = Header(text, &header, &tailAt);
  return Finish(text, entry, complete, header, out);
}

ScanResult ScanHeaderLine(std::string_view line, HeaderPrefix* prefix, TraceLine* out) {
  out->kind = LineKind::kContinuation;
  TraceLine header;
  const std::string& shared = prefix->bytes;
  // The scan reads left to right and decides by what it has read: a line
  // that begins with the bytes of one it scanned before stands where that
  // one stood at their end.
  if (!shared.empty() && line.size() > shared.size() &&
      std::memcmp(line.data(), shared.data(), shared.size()) == 0) {
    header.threadId = line.substr(prefix->threadBegin, prefix->threadLength);
    return Finish(line, Tail(line, shared.size(), prefix->stampBegin, &header), true, header, out);
  }
  size_t tailAt;
  const size_t entry = Header(line, &header, &tailAt);
  ScanResult result = Finish(line, entry, true, header, out);
  if (result == ScanResult::kHeader) {
    prefix->bytes.assign(line.substr(0, tailAt));
    prefix->threadBegin = header.threadId.data() - line.data();
    prefix->threadLength = header.threadId.size();
    prefix->stampBegin = header.timeStamp.data() - line.data();
  }
  return result;
}

bool IsPatternDigit(unsigned char c) { return InClass(static_cast<char>(c), kDigit); }
bool IsPatternWord(unsigned char c) { return InClass(static_cast<char>(c), kWord); }
bool IsPatternSpace(unsigned char c) { return InClass(static_cast<char>(c), kSpace); }

}  // namespace quintrel
