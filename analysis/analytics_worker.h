// AnalyticsWorker: runs the Analytics of one analysis on a thread of its
// own, so that the analytics reports cost the line processing hardly more
// than the TEXT report does. The calling thread hands over what the
// analytics read, in batches; the worker owns the Analytics until
// moveInto(), which waits for it. One thread calls all operations. How the
// batches change hands and how the worker stops early is the discipline of
// a run's threads, written down in cli/trace_profiler.h.
#ifndef QUINTREL_ANALYSIS_ANALYTICS_WORKER_H_
#define QUINTREL_ANALYSIS_ANALYTICS_WORKER_H_

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "analysis/analytics.h"
#include "analysis/query_record.h"
#include "parse/text_buffer.h"

namespace quintrel {

class AnalyticsWorker : public QueryRecordSink {
 public:
  explicit AnalyticsWorker(int64_t bucketSeconds);
  // Stops the worker before its next call and waits for it; what it had not
  // done is dropped.
  ~AnalyticsWorker() override;
  AnalyticsWorker(const AnalyticsWorker&) = delete;
  AnalyticsWorker& operator=(const AnalyticsWorker&) = delete;

  // Copies what the analytics read of an accepted call (or of a connect
  // call the filters left out); of a call text
  // longer than kLargeText only the beginning, with the fingerprint and API
  // name read here.
  void addCall(const CallFacts& call);
  // Takes the record.
  void onQueryRecord(QueryRecord* record) override;

  // Waits until the worker has taken everything, then fills
  // profile->analytics (and profile->mergeable where `keepMergeable`, see
  // Analytics::moveInto). A worker that failed (ran out of memory) stopped
  // there: its analytics are those of what it took before, marked partial.
  // Where its thread could not be started, the calling thread has done the
  // work, and the analytics say why.
  void moveInto(Profile* profile, bool keepMergeable);

 private:
  // Calls and queries in the order they were handed over; their texts are
  // kept in `texts`, which does not move while they point into it. (A
  // query's record stays with the caller, whose thread frees what it
  // allocated for it.)
  struct Batch {
    struct Call {
      CallFacts facts;       // its texts in `texts`
      size_t queriesBefore;  // the queries handed over before this call
    };
    std::vector<Call> calls;
    std::vector<QueryFacts> queries;  // their texts in `texts`
    TextBuffer texts;
    void clear();
    bool full() const;
    // Whether `size` more bytes of text fit without moving those taken.
    bool fits(size_t size) const { return texts.capacity() - texts.size() >= size; }
  };

  // Where `size` bytes of text go in the batch being filled, which is
  // handed over first where they do not fit (makeRoom). Inline: every call
  // and query is copied there.
  char* roomFor(size_t size) {
    if (!filling_->fits(size)) makeRoom(size);
    return filling_->texts.extend(size);
  }
  void makeRoom(size_t size);
  void handOver();
  void run();
  void process(Batch* batch);
  void processHere();

  // The worker's until it has ended, then the caller's (moveInto).
  Analytics analytics_;
  // The caller's alone: the batch being filled, and room for the
  // fingerprint of a long call text.
  std::unique_ptr<Batch> filling_;
  std::string longFingerprint_, longSession_;

  // Guarded by mutex_; changed_ tells of every change. A batch is filling_,
  // in full_, in free_, or held by the worker while it processes it.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Batch>> full_;   // for the worker
  std::vector<std::unique_ptr<Batch>> free_;  // for reuse
  size_t batches_ = 0;                        // batches in existence
  bool finished_ = false;                     // nothing more will be handed over
  bool stopped_ = false;                      // the worker has ended
  std::exception_ptr failure_;                // what ended the worker; read after join
  // Set under mutex_ by the destructor alone; read without it by the worker
  // at each call, so that it stops there.
  std::atomic<bool> dropping_{false};
  std::string threadError_;  // why the thread could not be started
  std::thread thread_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_ANALYTICS_WORKER_H_
