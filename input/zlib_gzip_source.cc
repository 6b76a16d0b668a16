#include "input/zlib_gzip_source.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <utility>

namespace quintrel {

namespace {

const size_t kInputSize = 128 * 1024;
// zlib's windowBits for gzip members alone, with the largest window.
const int kGzipOnly = 16 + MAX_WBITS;

// GzipSource's words for what zlib's message says.
std::string Describe(const z_stream& stream) {
  const std::string message = stream.msg != nullptr ? stream.msg : "";
  if (message == "incorrect data check" || message == "incorrect length check" ||
      message == "header crc mismatch") {
    return "invalid compressed data (crc mismatch)";
  }
  if (message == "incorrect header check") return "invalid compressed data (bad gzip header)";
  if (message.empty()) return "invalid compressed data";
  return "invalid compressed data (" + message + ")";
}

}  // namespace

ZlibGzipSource::ZlibGzipSource(std::unique_ptr<ByteSource> compressed)
    : compressed_(std::move(compressed)), stream_(new z_stream()), input_(kInputSize) {
  stream_->next_in = input_.data();
  if (inflateInit2(stream_.get(), kGzipOnly) != Z_OK) fail("out of memory");
}

ZlibGzipSource::~ZlibGzipSource() { inflateEnd(stream_.get()); }

long ZlibGzipSource::read(char* buffer, size_t size) {
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

bool ZlibGzipSource::step() {
  if (state_ == State::kBetweenMembers && !startMember()) return false;
  if (stream_->avail_in == 0 && !fillInput()) return false;
  int status = inflate(stream_.get(), Z_NO_FLUSH);
  if (status == Z_STREAM_END) {
    state_ = State::kBetweenMembers;
    memberEnded_ = true;
    return true;
  }
  if (status == Z_OK) return true;
  fail(status == Z_MEM_ERROR ? "out of memory" : Describe(*stream_));
  return false;
}

bool ZlibGzipSource::startMember() {
  // Each member must begin with the magic: anything else after a member is
  // garbage, not the end.
  while (stream_->avail_in < 2 && (stream_->avail_in == 0 || stream_->next_in[0] == 0x1f)) {
    if (!fillInput()) return false;
  }
  if (stream_->next_in[0] != 0x1f || stream_->next_in[1] != 0x8b) {
    if (memberEnded_ && stream_->next_in[0] == 0) return skipPadding();
    fail(memberEnded_ ? kTrailingGarbage : "not a gzip stream");
    return false;
  }
  inflateReset(stream_.get());
  state_ = State::kInMember;
  return true;
}

bool ZlibGzipSource::skipPadding() {
  if (input_.skipPadding(compressed_.get(), stream_->next_in, stream_->avail_in, &error_)) {
    state_ = State::kEnded;
  } else {
    state_ = State::kFailed;
  }
  return false;
}

bool ZlibGzipSource::fillInput() {
  size_t available = 0;
  MemberInput::Fill fill =
      input_.fill(compressed_.get(), stream_->next_in, stream_->avail_in,
                  state_ == State::kBetweenMembers && memberEnded_, &available, &error_);
  stream_->next_in = input_.data();
  stream_->avail_in = static_cast<uInt>(available);
  if (fill == MemberInput::Fill::kMore) return true;
  state_ = fill == MemberInput::Fill::kEnded ? State::kEnded : State::kFailed;
  return false;
}

void ZlibGzipSource::fail(const std::string& reason) {
  state_ = State::kFailed;
  error_ = reason;
}

}  // namespace quintrel
