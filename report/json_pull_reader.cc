#include "report/json_pull_reader.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quintrel {

namespace {

// How deep skip() follows values inside values; deeper is refused rather
// than followed on the stack.
constexpr int kMaxSkipDepth = 512;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether any of the eight bytes of `word` ends a plain run of a text: '"',
// '\\', a control character or a byte of 0x80 or more. A byte that borrows
// from the next one is itself one of them, so the answer is exact.
bool HoldsSpecialByte(uint64_t word) {
  const uint64_t kOnes = 0x0101010101010101ULL;
  const uint64_t kHighs = 0x8080808080808080ULL;
  uint64_t quote = word ^ (kOnes * '"');
  uint64_t backslash = word ^ (kOnes * '\\');
  uint64_t marks = ((quote - kOnes) & ~quote) | ((backslash - kOnes) & ~backslash) |
                   (word - kOnes * 0x20) | word;
  return (marks & kHighs) != 0;
}

bool IsSpecialByte(unsigned char c) { return c == '"' || c == '\\' || c < 0x20 || c >= 0x80; }

// How many bytes from `at` on, up to `end`, are plain: neither '"' nor '\\',
// nor a control character, nor a byte of 0x80 or more. Most texts are plain
// ASCII and short (keys, stamps, ids): sixteen bytes are looked at at once
// where the processor can, eight otherwise.
size_t PlainRun(const char* at, const char* end) {
  const char* start = at;
#if defined(__SSE2__)
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i backslash = _mm_set1_epi8('\\');
  const __m128i space = _mm_set1_epi8(0x20);
  while (end - at >= 16) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    // Signed, the bytes of 0x80 or more are below 0x20 as the controls are.
    __m128i special =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)),
                     _mm_cmplt_epi8(bytes, space));
    int mask = _mm_movemask_epi8(special);
    if (mask != 0) return size_t(at - start) + size_t(__builtin_ctz(unsigned(mask)));
    at += 16;
  }
#endif
  uint64_t word;
  while (end - at >= 8) {
    std::memcpy(&word, at, sizeof word);
    if (HoldsSpecialByte(word)) break;
    at += 8;
  }
  while (at != end && !IsSpecialByte(static_cast<unsigned char>(*at))) ++at;
  return size_t(at - start);
}

void AppendUtf8(uint32_t code, std::string* out) {
  if (code < 0x80) {
    *out += char(code);
  } else if (code < 0x800) {
    *out += char(0xC0 | code >> 6);
    *out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out += char(0xE0 | code >> 12);
    *out += char(0x80 | (code >> 6 & 0x3F));
    *out += char(0x80 | (code & 0x3F));
  } else {
    *out += char(0xF0 | code >> 18);
    *out += char(0x80 | (code >> 12 & 0x3F));
    *out += char(0x80 | (code >> 6 & 0x3F));
    *out += char(0x80 | (code & 0x3F));
  }
}

}  // namespace

JsonPullReader::JsonPullReader(std::string_view text) : text_(text) {
  if (text_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;
}

void JsonPullReader::fail(const char* what) const { throw JsonSyntaxError(what); }

char JsonPullReader::nextSignificant() {
  while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
  if (at_ == text_.size()) fail("the document ends early");
  return text_[at_];
}

void JsonPullReader::expect(char wanted) {
  if (nextSignificant() != wanted) fail("an unexpected character");
  ++at_;
}

void JsonPullReader::word(std::string_view literal) {
  if (text_.substr(at_, literal.size()) != literal) fail("an unknown word");
  at_ += literal.size();
}

JsonPullReader::Kind JsonPullReader::peek() {
  char c = nextSignificant();
  switch (c) {
    case '{':
      return Kind::kObject;
    case '[':
      return Kind::kArray;
    case '"':
      return Kind::kText;
    case 't':
    case 'f':
      return Kind::kBool;
    case 'n':
      return Kind::kNull;
    default:
      if (c == '-' || IsDigit(c)) return Kind::kNumber;
      fail("a value expected");
  }
}

void JsonPullReader::enterObject() {
  expect('{');
  first_ = true;
}

void JsonPullReader::enterArray() {
  expect('[');
  first_ = true;
}

bool JsonPullReader::nextKey(std::string_view* key) {
  char c = nextSignificant();
  bool first = first_;
  first_ = false;
  if (c == '}') {
    ++at_;
    return false;
  }
  if (!first) {
    if (c != ',') fail("a comma or '}' expected");
    ++at_;
    c = nextSignificant();
  }
  if (c != '"') fail("a key expected");
  *key = text();
  expect(':');
  return true;
}

bool JsonPullReader::nextItem() {
  char c = nextSignificant();
  bool first = first_;
  first_ = false;
  if (c == ']') {
    ++at_;
    return false;
  }
  if (!first) {
    if (c != ',') fail("a comma or ']' expected");
    ++at_;
  }
  return true;
}

std::string_view JsonPullReader::text() {
  expect('"');
  const size_t start = at_;
  // Texts without escapes stay in place however many UTF-8 sequences they
  // hold; the first escape starts a copy.
  inPlace_ = true;
  for (;;) {
    size_t run = PlainRun(text_.data() + at_, text_.data() + text_.size());
    if (!inPlace_) decoded_.append(text_.data() + at_, run);
    at_ += run;
    if (at_ == text_.size()) fail("a text without its end");
    unsigned char c = static_cast<unsigned char>(text_[at_]);
    if (c == '"') break;
    if (c == '\\') {
      if (inPlace_) decoded_.assign(text_.data() + start, at_ - start);
      inPlace_ = false;
      escape();
      continue;
    }
    if (c < 0x20) fail("a control character inside a text");
    size_t length = utf8Sequence();
    if (!inPlace_) decoded_.append(text_.data() + at_, length);
    at_ += length;
  }
  ++at_;
  return inPlace_ ? text_.substr(start, at_ - 1 - start) : std::string_view(decoded_);
}

uint32_t JsonPullReader::hex4() {
  uint32_t code = 0;
  for (int digit = 0; digit < 4; ++digit, ++at_) {
    char c = at_ < text_.size() ? text_[at_] : '\0';
    uint32_t value;
    if (IsDigit(c)) {
      value = uint32_t(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      value = uint32_t(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      value = uint32_t(c - 'A' + 10);
    } else {
      fail("a \\u escape without four hex digits");
    }
    code = code << 4 | value;
  }
  return code;
}

void JsonPullReader::escape() {
  ++at_;  // the backslash
  char c = at_ < text_.size() ? text_[at_++] : '\0';
  const char kEscaped[] = "\"\\/bfnrt";
  const char kMeant[] = "\"\\/\b\f\n\r\t";
  for (int which = 0; which < 8; ++which) {
    if (c == kEscaped[which]) {
      decoded_ += kMeant[which];
      return;
    }
  }
  if (c != 'u') fail("an unknown escape");
  uint32_t code = hex4();
  if (code >= 0xDC00 && code <= 0xDFFF) fail("a lone low surrogate");
  if (code >= 0xD800 && code <= 0xDBFF) {
    if (text_.substr(at_, 2) != "\\u") fail("a high surrogate alone");
    at_ += 2;
    uint32_t low = hex4();
    if (low < 0xDC00 || low > 0xDFFF) fail("a high surrogate alone");
    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
  }
  AppendUtf8(code, &decoded_);
}

// One UTF-8 sequence of two to four bytes as RFC 3629 allows them: no
// overlong forms, no surrogates, nothing above U+10FFFF.
size_t JsonPullReader::utf8Sequence() const {
  unsigned char lead = static_cast<unsigned char>(text_[at_]);
  int follow;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    follow = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    follow = 2;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    follow = 3;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    fail("a byte outside UTF-8");
  }
  if (text_.size() - at_ <= size_t(follow)) fail("a text without its end");
  for (int byte = 1; byte <= follow; ++byte) {
    unsigned char c = static_cast<unsigned char>(text_[at_ + byte]);
    if (c < (byte == 1 ? low : 0x80) || c > (byte == 1 ? high : 0xBF)) {
      fail("a byte outside UTF-8");
    }
  }
  return size_t(follow) + 1;
}

std::string_view JsonPullReader::numberToken(bool* integral) {
  nextSignificant();
  const size_t start = at_;
  auto digits = [&] {
    if (at_ == text_.size() || !IsDigit(text_[at_])) fail("a number without digits");
    while (at_ < text_.size() && IsDigit(text_[at_])) ++at_;
  };
  if (text_[at_] == '-') ++at_;
  if (at_ < text_.size() && text_[at_] == '0') {
    ++at_;
  } else {
    digits();
  }
  *integral = true;
  if (at_ < text_.size() && text_[at_] == '.') {
    ++at_;
    digits();
    *integral = false;
  }
  if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
    ++at_;
    if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
    digits();
    *integral = false;
  }
  return text_.substr(start, at_ - start);
}

bool JsonPullReader::integer(int64_t* value) {
  char c = nextSignificant();
  if (c != '-' && !IsDigit(c)) return false;
  // Most integers are short: up to 18 digits, read in one pass, cannot
  // overflow. Longer ones, fractions and exponents take the whole grammar.
  size_t at = at_ + (c == '-' ? 1 : 0);
  const size_t first = at;
  uint64_t magnitude = 0;
  while (at < text_.size() && IsDigit(text_[at]) && at - first < 18 &&
         (at == first || text_[first] != '0')) {
    magnitude = magnitude * 10 + uint64_t(text_[at++] - '0');
  }
  bool more = at < text_.size() &&
              (IsDigit(text_[at]) || text_[at] == '.' || text_[at] == 'e' || text_[at] == 'E');
  if (at == first || more) return longInteger(value);
  at_ = at;
  *value = c == '-' ? -int64_t(magnitude) : int64_t(magnitude);
  return true;
}

bool JsonPullReader::integerItems(std::vector<int64_t>* values) {
  // Items as the writer writes them, up to 18 digits without a leading zero
  // and a comma or the ']' right after, are read in one pass; the first
  // that is not, and all after it, by the whole grammar. The position is
  // kept in locals and stored once: these lists are most of a saved profile.
  const char* const data = text_.data();
  const char* const end = data + text_.size();
  const char* at = data + at_;
  const char* after = nullptr;  // the comma or ']' after the last item read
  for (;;) {
    const char* digit = at;
    uint64_t magnitude = 0;  // wraps past 19 digits, which go the long way
    while (digit != end && unsigned(*digit - '0') < 10) {
      magnitude = magnitude * 10 + unsigned(*digit++ - '0');
    }
    size_t digits = size_t(digit - at);
    if (digits - 1 >= 18 || digit == end || (*at == '0' && digits > 1)) break;
    if (*digit != ',' && *digit != ']') break;
    values->push_back(int64_t(magnitude));
    after = digit;
    if (*digit == ']') break;
    at = digit + 1;
  }
  if (after != nullptr) {
    first_ = false;
    at_ = size_t(after - data);  // where nextItem() goes on
    if (*after == ']') {
      ++at_;
      return true;
    }
  }
  while (nextItem()) {
    int64_t value;
    if (!integer(&value)) return false;
    values->push_back(value);
  }
  return true;
}

bool JsonPullReader::longInteger(int64_t* value) {
  bool integral;
  std::string_view token = numberToken(&integral);
  if (!integral) return false;
  bool negative = token[0] == '-';
  uint64_t magnitude = 0;
  for (char c : token.substr(negative ? 1 : 0)) {
    uint64_t digit = uint64_t(c - '0');
    if (magnitude > (std::numeric_limits<uint64_t>::max() - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  const uint64_t kLargest = uint64_t(std::numeric_limits<int64_t>::max());
  if (magnitude > kLargest + (negative ? 1 : 0)) return false;
  // Negated in unsigned arithmetic, where the magnitude of INT64_MIN fits.
  *value = negative ? int64_t(~magnitude + 1) : int64_t(magnitude);
  return true;
}

double JsonPullReader::number() {
  bool integral;
  std::string token(numberToken(&integral));
  return std::strtod(token.c_str(), nullptr);
}

bool JsonPullReader::boolean() {
  if (nextSignificant() == 't') {
    word("true");
    return true;
  }
  word("false");
  return false;
}

void JsonPullReader::skip() { skipNested(0); }

void JsonPullReader::skipNested(int depth) {
  if (depth > kMaxSkipDepth) fail("values nested too deep");
  std::string_view key;
  switch (peek()) {
    case Kind::kObject:
      enterObject();
      while (nextKey(&key)) skipNested(depth + 1);
      break;
    case Kind::kArray:
      enterArray();
      while (nextItem()) skipNested(depth + 1);
      break;
    case Kind::kText:
      text();
      break;
    case Kind::kNumber: {
      bool integral;
      numberToken(&integral);
      break;
    }
    case Kind::kBool:
      boolean();
      break;
    case Kind::kNull:
      word("null");
      break;
  }
}

void JsonPullReader::finish() {
  while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
  if (at_ != text_.size()) fail("bytes after the document");
}

}  // namespace quintrel
