#include "app/gzip_source.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

namespace quintrel {

namespace {

const size_t kInputSize = 128 * 1024;
// Window bits for zlib: a 32 KiB window, gzip wrapper only.
const int kGzipOnly = 16 + MAX_WBITS;

}  // namespace

GzipSource::GzipSource(std::unique_ptr<ByteSource> compressed)
    : compressed_(std::move(compressed)), stream_(new z_stream_s()), input_(kInputSize) {
  if (inflateInit2(stream_.get(), kGzipOnly) != Z_OK) fail("out of memory");
}

GzipSource::~GzipSource() { inflateEnd(stream_.get()); }

long GzipSource::read(char* buffer, size_t size) {
  if (state_ == State::kEnded || size == 0) return 0;
  if (state_ == State::kFailed) return -1;
  uInt wanted = static_cast<uInt>(std::min<size_t>(size, UINT_MAX));
  stream_->next_out = reinterpret_cast<Bytef*>(buffer);
  stream_->avail_out = wanted;
  while (stream_->avail_out > 0 && step()) {
  }
  long produced = static_cast<long>(wanted - stream_->avail_out);
  if (produced > 0) return produced;
  return state_ == State::kFailed ? -1 : 0;
}

bool GzipSource::step() {
  z_stream_s& stream = *stream_;
  if (state_ == State::kBetweenMembers) {
    if (stream.avail_in == 0 && !fillInput()) return false;
    inflateReset(&stream);
    state_ = State::kInMember;
  }
  uInt inBefore = stream.avail_in;
  uInt outBefore = stream.avail_out;
  int status = inflate(&stream, Z_NO_FLUSH);
  if (status == Z_STREAM_END) {
    state_ = State::kBetweenMembers;
    memberEnded_ = true;
    return true;
  }
  if (status != Z_OK && status != Z_BUF_ERROR) {
    fail(describe(status));
    return false;
  }
  if (stream.avail_in != inBefore || stream.avail_out != outBefore) return true;
  // No progress with output room left: zlib needs more input.
  if (stream.avail_in == 0) return fillInput();
  fail("invalid compressed data");
  return false;
}

bool GzipSource::fillInput() {
  long count = compressed_->read(reinterpret_cast<char*>(input_.data()), input_.size());
  if (count > 0) {
    stream_->next_in = input_.data();
    stream_->avail_in = static_cast<uInt>(count);
    return true;
  }
  if (count < 0) {
    fail(compressed_->error());
  } else if (state_ == State::kBetweenMembers && memberEnded_) {
    state_ = State::kEnded;
  } else {
    fail("unexpected end of compressed data");
  }
  return false;
}

void GzipSource::fail(const std::string& reason) {
  state_ = State::kFailed;
  error_ = reason;
}

std::string GzipSource::describe(int status) const {
  if (status == Z_MEM_ERROR) return "out of memory";
  const char* message = stream_->msg != nullptr ? stream_->msg : "";
  if (status != Z_DATA_ERROR || *message == '\0') return "invalid compressed data";
  if (std::strcmp(message, "incorrect header check") == 0) {
    return memberEnded_ ? "invalid compressed data (trailing garbage after the last member)"
                        : "not a gzip stream";
  }
  if (std::strcmp(message, "incorrect data check") == 0) {
    return "invalid compressed data (crc mismatch)";
  }
  if (std::strcmp(message, "incorrect length check") == 0) {
    return "invalid compressed data (length mismatch)";
  }
  return std::string("invalid compressed data (") + message + ")";
}

}  // namespace quintrel
