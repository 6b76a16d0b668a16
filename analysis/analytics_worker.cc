#include "analysis/analytics_worker.h"

#include <utility>

namespace quintrel {

namespace {
// A batch goes to the worker at this many calls or bytes of text, whichever
// comes first; with at most kMaxBatches of them, a few megabytes are held
// (and a text longer than a batch, once).
const size_t kBatchCalls = 4096;
const size_t kBatchBytes = size_t{1} << 20;
const size_t kMaxBatches = 4;
}  // namespace

void AnalyticsWorker::Batch::clear() {
  calls.clear();
  queries.clear();
  texts.clear();
  bytes = 0;
}

bool AnalyticsWorker::Batch::full() const {
  return calls.size() == kBatchCalls || texts.size() + bytes >= kBatchBytes;
}

AnalyticsWorker::AnalyticsWorker(int64_t bucketSeconds)
    : analytics_(bucketSeconds), filling_(std::make_unique<Batch>()), batches_(1) {
  thread_ = std::thread(&AnalyticsWorker::run, this);
}

AnalyticsWorker::~AnalyticsWorker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    dropping_.store(true, std::memory_order_relaxed);
    full_.clear();
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void AnalyticsWorker::addCall(const CallFacts& call) {
  Batch& batch = *filling_;
  auto keep = [&batch](std::string_view text) {
    batch.texts.append(text);
    return batch.texts.size() - text.size();
  };
  size_t text = keep(call.apiLineText), thread = keep(call.threadId), stamp = keep(call.timeStamp);
  size_t opened = call.openedSession.empty() ? 0 : keep(call.openedSession);
  batch.calls.push_back(Batch::Call{text, call.apiLineText.size(), thread, call.threadId.size(),
                                    stamp, call.timeStamp.size(), opened, call.openedSession.size(),
                                    call.durationMs, batch.queries.size()});
  if (batch.full()) handOver();
}

void AnalyticsWorker::onQueryRecord(QueryRecord* record) {
  filling_->bytes += record->queryText.size();
  filling_->queries.push_back(std::move(*record));
  if (filling_->full()) handOver();
}

void AnalyticsWorker::handOver() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (stopped_) {
    filling_->clear();  // the worker failed; moveInto() says why
    return;
  }
  full_.push_back(std::move(filling_));
  changed_.notify_all();
  // A new batch, a reused one, or wait until the worker frees one.
  changed_.wait(lock, [this] { return !free_.empty() || batches_ < kMaxBatches || stopped_; });
  if (!free_.empty()) {
    filling_ = std::move(free_.back());
    free_.pop_back();
  } else {
    filling_ = std::make_unique<Batch>();
    ++batches_;
  }
}

void AnalyticsWorker::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    changed_.wait(lock, [this] { return !full_.empty() || finished_; });
    if (full_.empty()) break;
    std::unique_ptr<Batch> batch = std::move(full_.front());
    full_.pop_front();
    lock.unlock();
    try {
      process(batch.get());
    } catch (...) {
      lock.lock();
      failure_ = std::current_exception();
      break;
    }
    batch->clear();
    lock.lock();
    free_.push_back(std::move(batch));
    changed_.notify_all();
  }
  stopped_ = true;
  changed_.notify_all();
}

void AnalyticsWorker::process(Batch* batch) {
  std::string_view texts = batch->texts;
  size_t query = 0;
  for (const Batch::Call& call : batch->calls) {
    if (dropping_.load(std::memory_order_relaxed)) return;
    for (; query < call.queriesBefore; ++query) analytics_.onQueryRecord(&batch->queries[query]);
    analytics_.addCall(CallFacts{texts.substr(call.text, call.textLength),
                                 texts.substr(call.thread, call.threadLength),
                                 texts.substr(call.stamp, call.stampLength), call.durationMs,
                                 texts.substr(call.openedSession, call.openedSessionLength)});
  }
  for (; query < batch->queries.size(); ++query) analytics_.onQueryRecord(&batch->queries[query]);
}

void AnalyticsWorker::moveInto(Profile* profile) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    full_.push_back(std::move(filling_));
    finished_ = true;
    changed_.notify_all();
  }
  thread_.join();
  if (failure_) std::rethrow_exception(failure_);
  analytics_.moveInto(profile);
}

}  // namespace quintrel
