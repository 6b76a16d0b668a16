#include "input/line_scanner.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <utility>

namespace quintrel {

namespace {

// A batch holds a piece of the reader's largest size, and a bounded number
// of lines however short they are.
const size_t kBatchLines = 4096;
const size_t kBatches = 3;

}  // namespace

LineScanner::LineScanner(std::unique_ptr<LineReader> reader) : reader_(std::move(reader)) {
  for (size_t i = 0; i < kBatches; ++i) {
    free_.push_back(std::make_unique<Batch>());
    free_.back()->bytes.resize(reader_->bufferSize());
    free_.back()->lines.reserve(kBatchLines);
  }
  try {
    thread_ = std::thread(&LineScanner::run, this);
  } catch (const std::system_error& error) {
    threadError_ = error.code().message();  // the caller reads and classifies alone
  }
}

LineScanner::~LineScanner() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_.store(true, std::memory_order_relaxed);
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool LineScanner::next(LinePiece* piece, TraceLine* parsed) {
  while (current_ == nullptr || at_ == current_->lines.size()) {
    if (ended_ || !nextBatch()) return false;
  }
  const Line& line = current_->lines[at_++];
  const char* bytes = current_->bytes.data();
  auto view = [bytes](Line::Field field) {
    return std::string_view(bytes + field.begin, field.length);
  };
  *piece = LinePiece{view(line.text), line.first, line.last};
  parsed->kind = line.kind;
  if (line.kind == LineKind::kContinuation) return true;
  parsed->threadId = view(line.threadId);
  parsed->timeStamp = view(line.timeStamp);
  parsed->seconds = view(line.seconds);
  parsed->fraction = view(line.fraction);
  parsed->rpcCount = view(line.rpcCount);
  parsed->entry = view(line.entry);
  parsed->entryText = view(line.entryText);
  return true;
}

// Takes the end of the input from the current batch and empties it.
void LineScanner::release() {
  ended_ = current_->end;
  readFailed_ = current_->readFailed;
  error_ = current_->error;
  current_->lines.clear();
  current_->used = 0;
  current_->end = current_->readFailed = false;
  current_->classified = 0;
}

// Without a reading thread the caller fills each batch itself.
bool LineScanner::readHere() {
  if (current_ == nullptr) {
    current_ = std::move(free_.back());
    free_.pop_back();
  } else {
    release();
  }
  at_ = 0;
  if (ended_) return false;
  current_->end = !fill(current_.get());
  Classify(current_.get(), current_->lines.size(), &callerClassifier_);
  return true;
}

// Hands the current batch back and takes the next one; false at the end.
bool LineScanner::nextBatch() {
  if (!thread_.joinable()) return readHere();
  std::unique_lock<std::mutex> lock(mutex_);
  if (current_ != nullptr) {
    release();
    free_.push_back(std::move(current_));
    changed_.notify_all();
  }
  at_ = 0;
  if (ended_) return false;
  if (full_.empty() && failure_ == nullptr) {
    callerWaiting_ = true;
    changed_.wait(lock, [this] { return !full_.empty() || failure_ != nullptr; });
    callerWaiting_ = false;
  }
  if (full_.empty()) std::rethrow_exception(failure_);
  current_ = std::move(full_.front());
  full_.pop_front();
  queued_ = full_.size();
  lock.unlock();
  Classify(current_.get(), current_->lines.size(), &callerClassifier_);
  return true;
}

void LineScanner::run() {
  bool more = true;
  try {
    while (more) {
      std::unique_ptr<Batch> batch = takeFree();
      if (batch == nullptr) return;
      more = fill(batch.get());
      if (stopping_.load(std::memory_order_relaxed)) return;  // the caller is gone
      batch->end = !more;
      hand(std::move(batch));
    }
  } catch (...) {
    std::lock_guard<std::mutex> lock(mutex_);
    failure_ = std::current_exception();
    changed_.notify_all();
  }
}

std::unique_ptr<LineScanner::Batch> LineScanner::takeFree() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !free_.empty() || stopping_; });
  if (stopping_.load(std::memory_order_relaxed)) return nullptr;
  std::unique_ptr<Batch> batch = std::move(free_.back());
  free_.pop_back();
  return batch;
}

// Fills `batch` with lines until it is full; a piece that does not fit is
// left pending for the next batch. Returns false at the end of the input,
// and early when the scanner is stopping.
bool LineScanner::fill(Batch* batch) {
  if (hasPending_) add(pending_, batch);
  hasPending_ = false;
  consumed_.store(reader_->bytesConsumed(), std::memory_order_relaxed);
  while (!stopping_.load(std::memory_order_relaxed) && reader_->next(&pending_)) {
    if (batch->used + pending_.text.size() > batch->bytes.size() ||
        batch->lines.size() == kBatchLines) {
      hasPending_ = true;
      return true;
    }
    add(pending_, batch);
    // Classified at once while the line is fresh in the cache, as long as
    // the caller has lines to go on with.
    if (batch->classified + 1 == batch->lines.size() && callerBusy()) {
      Classify(batch, batch->lines.size(), &classifier_);
    }
  }
  consumed_.store(reader_->bytesConsumed(), std::memory_order_relaxed);
  batch->readFailed = reader_->readFailed();
  batch->error = batch->readFailed ? reader_->error() : "";
  return false;
}

bool LineScanner::callerBusy() const {
  return !callerWaiting_.load(std::memory_order_relaxed) &&
         queued_.load(std::memory_order_relaxed) > 0;
}

// Classifies the batch here, a stretch of lines at a time, until the caller
// waits for it: then the caller classifies the rest, and this thread goes on
// reading.
void LineScanner::hand(std::unique_ptr<Batch> batch) {
  const size_t kStretch = 256;
  while (batch->classified < batch->lines.size() && callerBusy() &&
         !stopping_.load(std::memory_order_relaxed)) {
    Classify(batch.get(), std::min(batch->classified + kStretch, batch->lines.size()),
             &classifier_);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  full_.push_back(std::move(batch));
  queued_ = full_.size();
  changed_.notify_all();
}

void LineScanner::add(const LinePiece& piece, Batch* batch) {
  const uint32_t begin = static_cast<uint32_t>(batch->used);
  if (!piece.text.empty()) std::memcpy(&batch->bytes[begin], piece.text.data(), piece.text.size());
  batch->used += piece.text.size();
  Line line{{begin, static_cast<uint32_t>(piece.text.size())},
            {},
            {},
            {},
            {},
            {},
            {},
            {},
            LineKind::kContinuation,
            piece.first,
            piece.last};
  batch->lines.push_back(line);
}

void LineScanner::Classify(Batch* batch, size_t end, TraceLineClassifier* classifier) {
  const char* base = batch->bytes.data();
  auto field = [base](std::string_view view) {
    return Line::Field{static_cast<uint32_t>(view.data() - base),
                       static_cast<uint32_t>(view.size())};
  };
  TraceLine parsed;
  for (; batch->classified < end; ++batch->classified) {
    Line& line = batch->lines[batch->classified];
    if (!line.first || !line.last) continue;
    if (!classifier->classify(std::string_view(base + line.text.begin, line.text.length),
                              &parsed)) {
      continue;
    }
    line.kind = parsed.kind;
    line.threadId = field(parsed.threadId);
    line.timeStamp = field(parsed.timeStamp);
    line.seconds = field(parsed.seconds);
    line.fraction = field(parsed.fraction);
    line.rpcCount = field(parsed.rpcCount);
    line.entry = field(parsed.entry);
    line.entryText = field(parsed.entryText);
  }
}

}  // namespace quintrel
