// AnalyticsWorker: runs the Analytics of one analysis on a thread of its
// own, so that the analytics reports cost the line processing hardly more
// than the TEXT report does. The calling thread hands over what the
// analytics read, in batches; the worker owns the Analytics until
// moveInto(), which waits for it. One thread calls all operations.
#ifndef QUINTREL_ANALYSIS_ANALYTICS_WORKER_H_
#define QUINTREL_ANALYSIS_ANALYTICS_WORKER_H_

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

namespace quintrel {

class AnalyticsWorker : public QueryRecordSink {
 public:
  explicit AnalyticsWorker(int64_t bucketSeconds);
  // Stops the worker; what it had not done is dropped.
  ~AnalyticsWorker() override;
  AnalyticsWorker(const AnalyticsWorker&) = delete;
  AnalyticsWorker& operator=(const AnalyticsWorker&) = delete;

  // Copies what the analytics read of an accepted call.
  void addCall(const CallFacts& call);
  // Takes the record.
  void onQueryRecord(QueryRecord* record) override;

  // Waits until the worker has taken everything, then fills
  // profile->analytics. Throws what the worker threw (running out of memory).
  void moveInto(Profile* profile);

 private:
  // Calls and queries in the order they were handed over; the call texts
  // are kept in `texts`.
  struct Batch {
    struct Call {
      size_t text, textLength, thread, threadLength, stamp, stampLength;
      int64_t durationMs;
      size_t queriesBefore;  // the queries handed over before this call
    };
    std::vector<Call> calls;
    std::vector<QueryRecord> queries;
    std::string texts;
    size_t bytes = 0;  // of the query texts
    void clear();
    bool full() const;
  };

  void handOver();
  void run();
  void process(Batch* batch);

  Analytics analytics_;
  std::unique_ptr<Batch> filling_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Batch>> full_;   // for the worker
  std::vector<std::unique_ptr<Batch>> free_;  // for reuse
  size_t batches_ = 0;                        // batches in existence
  bool finished_ = false;                     // nothing more will be handed over
  bool stopped_ = false;                      // the worker has ended
  std::exception_ptr failure_;
  std::thread thread_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_ANALYTICS_WORKER_H_
