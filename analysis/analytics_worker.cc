#include "analysis/analytics_worker.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "analysis/session_table.h"
#include "analysis/text_index.h"
#include "parse/trace_grammar.h"

namespace quintrel {

namespace {
// A batch goes to the worker at this many calls or bytes of text, whichever
// comes first; with at most kMaxBatches of them, a few megabytes are held
// (and a text longer than a batch, once).
const size_t kBatchCalls = 4096;
const size_t kBatchBytes = size_t{1} << 20;
const size_t kMaxBatches = 4;
// The room a batch's texts are given at once: a batch is full at kBatchBytes,
// so that only a call with texts of more than kBatchRoom - kBatchBytes bytes
// ends a batch early.
const size_t kBatchRoom = kBatchBytes + 2 * kLargeText;

// What the session table reads of a long call text (SessionTable::add), as a
// short text it reads the same way: of a call that opens a session its first
// two arguments, of any other call its first argument as far as a handle
// reaches.
void SessionTextOf(std::string_view text, bool opens, std::string* out) {
  out->clear();
  size_t comma = text.find(',');
  if (comma == std::string_view::npos) return;
  std::string_view rest = text.substr(comma + 1);
  out->push_back(',');
  if (!opens) {
    out->append(SessionHandleAfter(text, comma));
    return;
  }
  size_t first = CallArgumentLength(rest);
  out->append(rest.substr(0, first));
  if (first < rest.size()) {
    std::string_view next = rest.substr(first + 1);
    out->push_back(',');
    out->append(next.substr(0, CallArgumentLength(next)));
  }
}

// Copies `from` to `*out`, which it moves past the copy, and returns the copy.
std::string_view CopyTo(std::string_view from, char** out) {
  std::string_view to(*out, from.size());
  *out = CopyText(from, *out);
  return to;
}

}  // namespace

void AnalyticsWorker::Batch::clear() {
  calls.clear();
  queries.clear();
  // A batch's texts keep their memory, unless a long API name made it large.
  if (texts.capacity() > 2 * kBatchBytes) {
    texts.clear();
  } else {
    texts.truncate(0);
  }
}

bool AnalyticsWorker::Batch::full() const {
  return calls.size() == kBatchCalls || texts.size() >= kBatchBytes;
}

AnalyticsWorker::AnalyticsWorker(int64_t bucketSeconds)
    : analytics_(bucketSeconds), filling_(std::make_unique<Batch>()), batches_(1) {
  try {
    thread_ = std::thread(&AnalyticsWorker::run, this);
  } catch (const std::system_error& error) {
    threadError_ = error.code().message();  // the calling thread processes each batch
  }
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
  std::string_view text = call.apiLineText, fingerprint, apiName, session;
  if (text.size() > kLargeText) {
    // The analytics need no more of it than its fingerprint, API name,
    // session and example: a text of any length is never copied whole.
    CallFingerprint(text, &longFingerprint_);
    fingerprint = longFingerprint_;
    apiName = ApiNameOf(text);
    SessionTextOf(text, !call.openedSession.empty(), &longSession_);
    session = longSession_;
    text = text.substr(0, kMaxExample);
  }
  size_t room = text.size() + call.threadId.size() + call.timeStamp.size() +
                call.openedSession.size() + fingerprint.size() + apiName.size() + session.size();
  char* out = roomFor(room);
  Batch& batch = *filling_;
  auto copy = [&out](std::string_view from) { return CopyTo(from, &out); };
  // Made in place, not built aside and copied in.
  Batch::Call& entry = batch.calls.emplace_back();
  entry.queriesBefore = batch.queries.size();
  CallFacts& facts = entry.facts;
  facts.apiLineText = copy(text);
  facts.threadId = copy(call.threadId);
  facts.timeStamp = copy(call.timeStamp);
  facts.durationMs = call.durationMs;
  facts.leftOut = call.leftOut;
  // Most calls open no session and are short.
  if (!call.openedSession.empty()) facts.openedSession = copy(call.openedSession);
  if (!fingerprint.empty()) {
    facts.fingerprint = copy(fingerprint);
    facts.apiName = copy(apiName);
    facts.sessionText = copy(session);
  }
  if (batch.full()) handOver();
}

void AnalyticsWorker::onQueryRecord(QueryRecord* record) {
  std::string_view text = record->text();
  char* out = roomFor(text.size() + record->fingerprint.size() + record->threadId.size() +
                      record->startStamp.size());
  std::string_view copied = CopyTo(text, &out);
  std::string_view fingerprint = CopyTo(record->fingerprint, &out);
  std::string_view threadId = CopyTo(record->threadId, &out);
  std::string_view startStamp = CopyTo(record->startStamp, &out);
  filling_->queries.push_back(QueryFacts{copied, record->gluedAt, fingerprint, record->durationMs,
                                         record->rowCount, threadId, startStamp});
  if (filling_->full()) handOver();
}

void AnalyticsWorker::makeRoom(size_t size) {
  // The facts handed over point into the batch's texts, which must not move:
  // what they have no room for goes into the next batch.
  if (!filling_->calls.empty() || !filling_->queries.empty()) handOver();
  filling_->texts.reserve(filling_->texts.size() + std::max(size, kBatchRoom));
}

void AnalyticsWorker::handOver() {
  if (!thread_.joinable()) {
    processHere();
    return;
  }
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
  size_t query = 0;
  for (const Batch::Call& call : batch->calls) {
    if (dropping_.load(std::memory_order_relaxed)) return;
    for (; query < call.queriesBefore; ++query) analytics_.addQuery(batch->queries[query]);
    if (call.facts.leftOut) {
      analytics_.addLeftOut(call.facts);
    } else {
      analytics_.addCall(call.facts);
    }
  }
  for (; query < batch->queries.size(); ++query) analytics_.addQuery(batch->queries[query]);
}

// Where no thread could be started: the batch is processed at once, until
// the first failure.
void AnalyticsWorker::processHere() {
  try {
    if (failure_ == nullptr) process(filling_.get());
  } catch (...) {
    failure_ = std::current_exception();
  }
  filling_->clear();
}

void AnalyticsWorker::moveInto(Profile* profile, bool keepMergeable) {
  if (thread_.joinable()) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      full_.push_back(std::move(filling_));
      finished_ = true;
      changed_.notify_all();
    }
    thread_.join();
  } else {
    processHere();
  }
  analytics_.moveInto(profile, keepMergeable);
  profile->analytics.partial = failure_ != nullptr;
  profile->analytics.threadError = threadError_;
}

}  // namespace quintrel
