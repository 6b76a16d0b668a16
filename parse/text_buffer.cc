#include "parse/text_buffer.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace quintrel {

TextBuffer::TextBuffer(TextBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

TextBuffer& TextBuffer::operator=(const TextBuffer& other) {
  if (this != &other) assign(other.view());
  return *this;
}

TextBuffer& TextBuffer::operator=(TextBuffer&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

TextBuffer::~TextBuffer() { std::free(data_); }

void TextBuffer::assign(std::string_view text) {
  size_ = 0;
  append(text);
}

void TextBuffer::erasePrefix(size_t count) {
  if (count >= size_) {
    size_ = 0;
    return;
  }
  std::memmove(data_, data_ + count, size_ - count);
  size_ -= count;
}

void TextBuffer::reserve(size_t capacity) {
  if (capacity <= capacity_) return;
  void* grown = std::realloc(data_, capacity);
  if (grown == nullptr) throw std::bad_alloc();
  data_ = static_cast<char*>(grown);
  capacity_ = capacity;
}

void TextBuffer::clear() {
  size_ = 0;
  if (capacity_ > kLargeText) {
    std::free(data_);
    data_ = nullptr;
    capacity_ = 0;
  }
}

void TextBuffer::grow(size_t extra) {
  if (capacity_ - size_ >= extra) return;
  if (extra > static_cast<size_t>(-1) / 2 - size_) throw std::bad_alloc();
  // Half again as much: realloc of a large block moves pages rather than
  // bytes, so the growth factor only sets how often it is called.
  size_t wanted = size_ + extra;
  size_t capacity = capacity_ + capacity_ / 2;
  if (capacity < wanted) capacity = wanted;
  if (capacity < 64) capacity = 64;
  void* grown = std::realloc(data_, capacity);
  if (grown == nullptr) throw std::bad_alloc();
  data_ = static_cast<char*>(grown);
  capacity_ = capacity;
}

}  // namespace quintrel
