#include "input/gzip_source.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace quintrel {

namespace {

const size_t kInputSize = 128 * 1024;
// The input buffer grows to hold a member's header whole, up to this size.
const size_t kMaxHeaderSize = 1 << 20;

enum class HeaderScan { kComplete, kIncomplete, kNotGzip };

// Whether `bytes` begin with a whole gzip member header. Only the magic and
// the lengths are looked at; the inflater checks the rest. A name or comment
// that is not ended yet is noted in `zeroField` (where it starts) and
// `zeroSearched` (bytes known to hold no zero), so that a scan of the same
// header with more bytes goes on where this one stopped.
HeaderScan ScanGzipHeader(const uint8_t* bytes, size_t size, size_t* zeroField,
                          size_t* zeroSearched) {
  if ((size >= 1 && bytes[0] != 0x1f) || (size >= 2 && bytes[1] != 0x8b)) {
    return HeaderScan::kNotGzip;
  }
  if (size < 10) return HeaderScan::kIncomplete;
  const uint8_t flags = bytes[3];
  size_t at = 10;
  if (flags & 0x04) {  // an extra field with its length
    if (size < at + 2) return HeaderScan::kIncomplete;
    at += 2 + (bytes[at] | (bytes[at + 1] << 8));
  }
  for (uint8_t zeroEnded : {0x08, 0x10}) {  // a file name, a comment
    if ((flags & zeroEnded) == 0) continue;
    size_t from = *zeroField == at ? std::max(at, *zeroSearched) : at;
    const void* end = from < size ? std::memchr(bytes + from, 0, size - from) : nullptr;
    if (end == nullptr) {
      *zeroField = at;
      *zeroSearched = std::max(from, size);
      return HeaderScan::kIncomplete;
    }
    at = static_cast<const uint8_t*>(end) - bytes + 1;
  }
  if (flags & 0x02) at += 2;  // a header crc
  return size < at ? HeaderScan::kIncomplete : HeaderScan::kComplete;
}

}  // namespace

GzipSource::GzipSource(std::unique_ptr<ByteSource> compressed)
    : compressed_(std::move(compressed)), inflate_(new inflate_state()), input_(kInputSize) {
  isal_inflate_init(inflate_.get());
}

GzipSource::~GzipSource() = default;

long GzipSource::read(char* buffer, size_t size) {
  if (state_ == State::kEnded || size == 0) return 0;
  if (state_ == State::kFailed) return -1;
  uint32_t wanted = static_cast<uint32_t>(std::min<size_t>(size, UINT32_MAX));
  inflate_->next_out = reinterpret_cast<uint8_t*>(buffer);
  inflate_->avail_out = wanted;
  while (inflate_->avail_out > 0 && step()) {
  }
  long produced = static_cast<long>(wanted - inflate_->avail_out);
  if (produced > 0) return produced;
  return state_ == State::kFailed ? -1 : 0;
}

bool GzipSource::step() {
  inflate_state& state = *inflate_;
  if (state_ == State::kBetweenMembers && !startMember()) return false;
  uint32_t inBefore = state.avail_in;
  uint32_t outBefore = state.avail_out;
  int status = isal_inflate(&state);
  if (status < 0) {
    fail(describe(status));
    return false;
  }
  if (state.block_state == ISAL_BLOCK_FINISH) {
    state_ = State::kBetweenMembers;
    memberEnded_ = true;
    return true;
  }
  if (state.avail_in != inBefore || state.avail_out != outBefore) return true;
  // No progress with output room left: the inflater needs more input.
  if (state.avail_in == 0) return fillInput();
  fail("invalid compressed data");
  return false;
}

bool GzipSource::startMember() {
  // The inflater misreads a header crc over a header that arrives in pieces,
  // so it gets each header whole.
  size_t zeroField = 0, zeroSearched = 0;
  while (true) {
    HeaderScan scan =
        ScanGzipHeader(inflate_->next_in, inflate_->avail_in, &zeroField, &zeroSearched);
    if (scan == HeaderScan::kComplete) break;
    if (scan == HeaderScan::kNotGzip) {
      if (memberEnded_ && inflate_->next_in[0] == 0) return skipPadding();
      fail(memberEnded_ ? kTrailingGarbage : "not a gzip stream");
      return false;
    }
    if (!fillInput()) return false;
  }
  resetInflater();
  state_ = State::kInMember;
  return true;
}

bool GzipSource::skipPadding() {
  if (input_.skipPadding(compressed_.get(), inflate_->next_in, inflate_->avail_in, &error_)) {
    state_ = State::kEnded;
  } else {
    state_ = State::kFailed;
  }
  return false;
}

void GzipSource::resetInflater() {
  inflate_state& state = *inflate_;
  uint8_t* nextIn = state.next_in;
  uint32_t availIn = state.avail_in;
  uint8_t* nextOut = state.next_out;
  uint32_t availOut = state.avail_out;
  isal_inflate_reset(&state);
  state.crc_flag = ISAL_GZIP;
  state.next_in = nextIn;
  state.avail_in = availIn;
  state.next_out = nextOut;
  state.avail_out = availOut;
}

bool GzipSource::fillInput() {
  size_t kept = inflate_->avail_in;
  if (kept == input_.size()) {
    // The whole buffer is one header, not taken yet.
    if (input_.size() >= kMaxHeaderSize) {
      fail("invalid compressed data (gzip header too long)");
      return false;
    }
    input_.grow();
    inflate_->next_in = input_.data();
  }
  size_t available = 0;
  MemberInput::Fill fill =
      input_.fill(compressed_.get(), inflate_->next_in, kept,
                  state_ == State::kBetweenMembers && memberEnded_, &available, &error_);
  inflate_->next_in = input_.data();
  inflate_->avail_in = static_cast<uint32_t>(available);
  if (fill == MemberInput::Fill::kMore) return true;
  state_ = fill == MemberInput::Fill::kEnded ? State::kEnded : State::kFailed;
  return false;
}

void GzipSource::fail(const std::string& reason) {
  state_ = State::kFailed;
  error_ = reason;
}

std::string GzipSource::describe(int status) const {
  switch (status) {
    case ISAL_INVALID_WRAPPER:
      return "invalid compressed data (bad gzip header)";
    case ISAL_INCORRECT_CHECKSUM:
      return "invalid compressed data (crc mismatch)";
    case ISAL_UNSUPPORTED_METHOD:
      return "invalid compressed data (unknown compression method)";
    case ISAL_INVALID_BLOCK:
      return "invalid compressed data (invalid block)";
    case ISAL_INVALID_SYMBOL:
      return "invalid compressed data (invalid code)";
    case ISAL_INVALID_LOOKBACK:
      return "invalid compressed data (invalid distance too far back)";
    default:
      return "invalid compressed data";
  }
}

}  // namespace quintrel
