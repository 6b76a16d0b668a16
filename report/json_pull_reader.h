// JsonPullReader: reads a JSON document value by value, in the order it is
// written, without building a tree: its user asks for what it expects next
// (an object's keys, an array's items, a text, a number) and skips the rest.
// It checks what it passes as a strict parser does (the grammar, numbers,
// escapes, UTF-8 inside texts, and that only blanks follow the document)
// and throws JsonSyntaxError at the first fault; its user catches it where
// reading began. It reads the text it is given, which must outlive it, and
// owns the buffer the last text with escapes was decoded into.
#ifndef QUINTREL_REPORT_JSON_PULL_READER_H_
#define QUINTREL_REPORT_JSON_PULL_READER_H_

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel {

struct JsonSyntaxError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class JsonPullReader {
 public:
  enum class Kind { kObject, kArray, kText, kNumber, kBool, kNull };

  // `text` must outlive the reader. A UTF-8 byte order mark before the
  // document is passed over.
  explicit JsonPullReader(std::string_view text);

  // The kind of the next value; it is not consumed.
  Kind peek();
  // Consume the '{' or '[' of the next value, which must be of that kind.
  void enterObject();
  void enterArray();
  // The next key of the object entered last, false once its '}' is
  // consumed. The view lasts until the next text is read. Every key's value
  // must be consumed before the next key is asked for.
  bool nextKey(std::string_view* key);
  // Whether the array entered last holds another item; false once its ']'
  // is consumed.
  bool nextItem();
  // The next value, which must be a text; the view lasts until the next
  // text is read, or as long as the document where textInPlace().
  std::string_view text();
  // Whether the last text read held no escape: its view is of the document.
  bool textInPlace() const { return inPlace_; }
  // True with `value` when the next value is an integer (no fraction, no
  // exponent) that fits int64_t, which is consumed. False otherwise: a
  // number is consumed, another value is not.
  bool integer(int64_t* value);
  // Reads the items of the array entered last, up to its ']', appending
  // each to `values` as integer() reads it. False at the first item that is
  // no such integer, as integer() leaves it, the items before it appended.
  // The histograms of a saved profile are long lists of short integers:
  // these are read in one pass each.
  bool integerItems(std::vector<int64_t>* values);
  // Consumes the next value, a number, as the nearest double (infinite
  // beyond the range of doubles).
  double number();
  bool boolean();
  // Consumes the next value, whatever it is.
  void skip();
  // Refuses anything but blanks after the document.
  void finish();

 private:
  [[noreturn]] void fail(const char* what) const;
  char nextSignificant();
  void expect(char wanted);
  void word(std::string_view literal);
  // The bytes of the number ahead, consumed; sets `integral`.
  std::string_view numberToken(bool* integral);
  bool longInteger(int64_t* value);
  void escape();
  // The length of the UTF-8 sequence ahead, checked.
  size_t utf8Sequence() const;
  uint32_t hex4();
  void skipNested(int depth);

  std::string_view text_;
  size_t at_ = 0;
  bool first_ = false;  // no item read yet of the object or array entered last
  bool inPlace_ = true;
  std::string decoded_;
};

}  // namespace quintrel

#endif  // QUINTREL_REPORT_JSON_PULL_READER_H_
