#include "cli/merge_run.h"

#include <algorithm>
#include <exception>
#include <new>
#include <utility>

#include "cli/messages.h"
#include "cli/trace_profiler.h"
#include "input/trace_file.h"

namespace quintrel {

size_t MachineCores() { return std::max(1u, std::thread::hardware_concurrency()); }

MergeRun::MergeRun(const RunConfig* config, std::vector<std::string> inputs, size_t jobs)
    : config_(config),
      inputs_(std::move(inputs)),
      jobs_(std::max<size_t>(1, std::min(jobs, inputs_.size()))),
      done_(inputs_.size()),
      finished_(inputs_.size(), false) {}

MergeRun::~MergeRun() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    failed_ = true;  // no input starts any more
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void MergeRun::work(const ThreadSelection& threads) {
  for (;;) {
    size_t input;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return failed_ || next_ < merged_ + 2 * jobs_; });
      if (failed_ || next_ == inputs_.size()) return;
      input = next_++;
    }
    std::shared_ptr<MergeableProfile> profile;
    try {
      TraceFile trace(inputs_[input]);
      TraceProfiler profiler(config_, &trace, nullptr);
      profiler.quiet();
      profile = profiler.mergeable(threads);
    } catch (const std::bad_alloc&) {
      ReportFailure("out of memory while profiling " + inputs_[input]);
    } catch (const std::exception& error) {
      ReportFailure(std::string(error.what()) + " while profiling " + inputs_[input]);
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_[input] = std::move(profile);
      finished_[input] = true;
      failed_ = failed_ || done_[input] == nullptr;
    }
    changed_.notify_all();
  }
}

bool MergeRun::run(const ThreadSelection& threads, size_t aside, MergeableProfile* merged,
                   MergeableProfile* set) {
  for (size_t job = 0; job < jobs_; ++job) {
    workers_.emplace_back([this, &threads] { work(threads); });
  }
  bool first = true;
  for (size_t input = 0; input < inputs_.size(); ++input) {
    std::shared_ptr<MergeableProfile> profile;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return finished_[input] || (failed_ && input >= next_); });
      if (failed_) break;
      profile = std::move(done_[input]);
      ++merged_;
    }
    changed_.notify_all();
    if (input == aside) {
      *set = std::move(*profile);
    } else if (first) {
      *merged = std::move(*profile);
      first = false;
    } else {
      merged->merge(*profile);
    }
  }
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
  std::lock_guard<std::mutex> lock(mutex_);
  return !failed_;
}

}  // namespace quintrel
