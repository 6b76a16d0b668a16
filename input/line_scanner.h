// LineScanner: reads the lines of a trace and classifies them on a thread of
// its own, ahead of the caller, so that reading, decompressing, splitting
// and classifying lines overlap with the state machine the caller runs on
// them. Classifying a line needs nothing of the lines before it, so either
// thread can do it: once the caller waits for a batch, the reading thread
// hands over the one it is classifying, and the caller classifies the rest.
// That keeps both threads busy when decompressing makes the reading thread
// the slower one.
//
// It owns the LineReader (and so the source), the thread, and three batches
// of lines, each of the reader's buffer size. One thread calls its
// operations. How the batches change hands and how the scanner stops early
// is the discipline of a run's threads, written down in
// cli/trace_profiler.h.
#ifndef QUINTREL_INPUT_LINE_SCANNER_H_
#define QUINTREL_INPUT_LINE_SCANNER_H_

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

#include "input/line_reader.h"
#include "parse/trace_line.h"

namespace quintrel {

class LineScanner {
 public:
  // Takes over `reader` and starts reading it.
  explicit LineScanner(std::unique_ptr<LineReader> reader);
  // Stops the reading thread before its next line, dropping the batch it
  // fills, and waits for it; a read in progress (a pipe that gives nothing)
  // is waited for.
  ~LineScanner();
  LineScanner(const LineScanner&) = delete;
  LineScanner& operator=(const LineScanner&) = delete;

  // Stores the next line or piece in `piece`, and for a whole line (first
  // and last) its classification in `parsed`; returns false at the end of
  // the input. The views are valid until the next call. Throws what the
  // reading thread threw (running out of memory).
  bool next(LinePiece* piece, TraceLine* parsed);
  // Whether reading failed, and why; known once next() returned false, and
  // false before.
  bool readFailed() const { return readFailed_; }
  std::string error() const { return error_; }
  // Why the reading thread could not be started ("" when it runs): the
  // caller then reads and classifies every batch itself, in next().
  const std::string& threadError() const { return threadError_; }
  // Bytes taken from the underlying file so far.
  uint64_t bytesConsumed() const { return consumed_.load(std::memory_order_relaxed); }

 private:
  // A line or piece of a batch; the texts as offsets into its bytes.
  struct Line {
    struct Field {
      uint32_t begin, length;
    };
    Field text, threadId, timeStamp, seconds, fraction, rpcCount, entry, entryText;
    LineKind kind;
    bool first, last;
  };
  struct Batch {
    std::vector<char> bytes;  // sized once, to the reader's buffer size
    size_t used = 0;          // of `bytes`
    std::vector<Line> lines;
    size_t classified = 0;    // lines whose fields are set
    bool end = false;         // the input ends after these lines
    bool readFailed = false;  // with `end`: because reading failed
    std::string error;        // why
  };

  void run();
  bool fill(Batch* batch);
  void release();
  bool readHere();
  void add(const LinePiece& piece, Batch* batch);
  // Classifies lines of `batch` from its first unclassified one to `end`.
  static void Classify(Batch* batch, size_t end, TraceLineClassifier* classifier);
  void hand(std::unique_ptr<Batch> batch);
  // Whether the caller has batches to go on with, so that this thread should
  // classify.
  bool callerBusy() const;
  std::unique_ptr<Batch> takeFree();
  bool nextBatch();

  // The reading thread's alone (the caller's where none runs). On a cache line of its own, apart
  // from whatever the caller put before the scanner and writes for every line; the alignment also
  // pads the scanner's end.
  alignas(64) std::unique_ptr<LineReader> reader_;
  TraceLineClassifier classifier_;
  LinePiece pending_;  // read, for the next batch when hasPending_
  bool hasPending_ = false;

  // Guarded by mutex_; changed_ tells of every change. A batch is in full_
  // (read, for the caller), in free_ (for the reading thread to fill), or
  // held by one thread outside the lock: the one it was last taken by.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Batch>> full_;
  std::vector<std::unique_ptr<Batch>> free_;
  std::exception_ptr failure_;  // what ended the reading thread
  // Set under mutex_ by the destructor alone; read without it by the reading
  // thread at each line, so that it stops there.
  std::atomic<bool> stopping_{false};

  // Hints between the threads, read without the lock: they only decide who
  // classifies a line, never who owns a batch.
  std::atomic<size_t> queued_{0};           // full_.size() as last stored
  std::atomic<bool> callerWaiting_{false};  // the caller waits for a batch
  std::atomic<uint64_t> consumed_{0};       // stored once a batch, not a line

  // The caller's alone; the reading thread tells of the end with the last
  // batch. On a cache line of its own: the caller writes at_ for every line,
  // and sharing a line with what the reading thread writes cost a quarter of
  // the run's time.
  alignas(64) std::unique_ptr<Batch> current_;
  size_t at_ = 0;
  bool ended_ = false;
  bool readFailed_ = false;
  std::string error_;
  TraceLineClassifier callerClassifier_;
  std::string threadError_;
  std::thread thread_;
};

}  // namespace quintrel

#endif  // QUINTREL_INPUT_LINE_SCANNER_H_
