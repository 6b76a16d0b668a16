// TextBuffer: a growable byte buffer for texts of any size: an API text, a
// call's recorded lines, a query text. It owns its memory.
//
// It grows with realloc, not by allocating anew and copying: a large block
// lives in its own mapping, which the system moves instead of copying, so a
// text of a gigabyte never needs twice its size while it grows. clear() keeps
// the memory for the next text unless it is large.
#ifndef QUINTREL_PARSE_TEXT_BUFFER_H_
#define QUINTREL_PARSE_TEXT_BUFFER_H_

#include <cstddef>
#include <cstring>
#include <string_view>

namespace quintrel {

// A text from this size on is large: it is taken over rather than copied
// where its owner is done with it, it keeps a buffer of its own, and clear()
// gives its memory back.
const size_t kLargeText = size_t{64} << 10;

class TextBuffer {
 public:
  TextBuffer() = default;
  explicit TextBuffer(std::string_view text) { assign(text); }
  TextBuffer(const TextBuffer& other) { assign(other.view()); }
  TextBuffer(TextBuffer&& other) noexcept;
  TextBuffer& operator=(const TextBuffer& other);
  TextBuffer& operator=(TextBuffer&& other) noexcept;
  ~TextBuffer();

  // Replaces the text with a copy of `text`, which must not point into this
  // buffer.
  void assign(std::string_view text);
  // Appends a copy of `text`, which must not point into this buffer.
  void append(std::string_view text) {
    if (capacity_ - size_ < text.size()) grow(text.size());
    if (!text.empty()) std::memcpy(data_ + size_, text.data(), text.size());
    size_ += text.size();
  }
  // Makes room for `extra` more bytes at the end and returns where they
  // begin; the caller writes all of them before the next operation.
  char* extend(size_t extra) {
    if (capacity_ - size_ < extra) grow(extra);
    char* at = data_ + size_;
    size_ += extra;
    return at;
  }
  void push_back(char c) {
    if (capacity_ == size_) grow(1);
    data_[size_++] = c;
  }
  // Makes room for `extra` more bytes and returns where they go, for a
  // writer that knows only a bound of what it writes; commit() then ends the
  // text where it stopped. Appending in between invalidates the pointer.
  char* room(size_t extra) {
    if (capacity_ - size_ < extra) grow(extra);
    return data_ + size_;
  }
  void commit(const char* end) { size_ = static_cast<size_t>(end - data_); }
  // Drops the text; releases the memory when it is larger than a typical
  // text, so that one huge text does not pin its memory for the whole run.
  void clear();
  // Drops the text after its first `size` bytes.
  void truncate(size_t size) { size_ = size < size_ ? size : size_; }
  // Drops the first `count` bytes, moving the rest to the front.
  void erasePrefix(size_t count);
  // Makes room for `capacity` bytes in all, exactly.
  void reserve(size_t capacity);

  std::string_view view() const { return std::string_view(data_, size_); }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // The memory held, for accounting.
  size_t capacity() const { return capacity_; }

 private:
  // Makes room for `extra` more bytes.
  void grow(size_t extra);

  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace quintrel

#endif  // QUINTREL_PARSE_TEXT_BUFFER_H_
