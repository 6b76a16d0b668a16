#include "input/line_reader.h"

#include <cstring>
#include <utility>

namespace quintrel {

LineReader::LineReader(std::unique_ptr<ByteSource> source, size_t bufferSize)
    : source_(std::move(source)), buffer_(bufferSize < 16 ? 16 : bufferSize) {}

bool LineReader::next(LinePiece* piece) {
  size_t scanned = 0;  // unread bytes already known to hold no line feed
  while (!done_) {
    const char* start = buffer_.data() + begin_;
    size_t available = end_ - begin_;
    const void* feed = std::memchr(start + scanned, '\n', available - scanned);
    if (feed != nullptr || atEnd_) {
      size_t length = feed != nullptr ? static_cast<const char*>(feed) - start : available;
      begin_ += feed != nullptr ? length + 1 : length;
      if (feed != nullptr && length > 0 && start[length - 1] == '\r') --length;
      *piece = LinePiece{std::string_view(start, length), !midLine_, true};
      midLine_ = false;
      done_ = feed == nullptr;
      return true;
    }
    if (available == buffer_.size()) {
      // A full buffer without a line feed: hand it out as a piece, keeping a
      // last carriage return back, which may stand before the line feed.
      size_t length = start[available - 1] == '\r' ? available - 1 : available;
      *piece = LinePiece{std::string_view(start, length), !midLine_, false};
      begin_ += length;
      midLine_ = true;
      return true;
    }
    scanned = available;
    // After a failure a line cut short is handed out as far as it was read;
    // with nothing pending the input simply ends.
    if (!fill() && readFailed_ && available == 0 && !midLine_) done_ = true;
  }
  return false;
}

bool LineReader::fill() {
  size_t unread = end_ - begin_;
  std::memmove(buffer_.data(), buffer_.data() + begin_, unread);
  begin_ = 0;
  end_ = unread;
  long count = source_->read(buffer_.data() + end_, buffer_.size() - end_);
  if (count > 0) {
    end_ += count;
    return true;
  }
  atEnd_ = true;
  readFailed_ = count < 0;
  return false;
}

}  // namespace quintrel
