#include "cli/merge_run.h"

#include <algorithm>
#include <exception>
#include <new>
#include <utility>

#include "cli/messages.h"
#include "cli/trace_profiler.h"
#include "input/trace_file.h"
#include "input/zstd_context.h"

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

std::unique_ptr<MergeInput> MergeRun::spareInput() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (spare_.empty()) return std::make_unique<MergeInput>();
  std::unique_ptr<MergeInput> input = std::move(spare_.back());
  spare_.pop_back();
  return input;
}

void MergeRun::work(const ThreadSelection& threads) {
  // One decoder for all the job's inputs: a new one per input costs its
  // window's allocation and page faults each time.
  std::unique_ptr<ZstdContext> zstd;
  for (;;) {
    size_t input;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return failed_ || next_ < merged_ + 2 * jobs_; });
      if (failed_ || next_ == inputs_.size()) return;
      input = next_++;
    }
    std::unique_ptr<MergeInput> read = spareInput();
    bool made = false;
    try {
      if (zstd == nullptr) zstd = std::make_unique<ZstdContext>();
      TraceFile trace(inputs_[input]);
      TraceProfiler profiler(config_, &trace, nullptr);
      profiler.quiet();
      profiler.lendZstdContext(zstd.get());
      made = profiler.mergeable(threads, read.get());
    } catch (const std::bad_alloc&) {
      ReportFailure("out of memory while profiling " + inputs_[input]);
    } catch (const std::exception& error) {
      ReportFailure(std::string(error.what()) + " while profiling " + inputs_[input]);
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (made) done_[input] = std::move(read);
      finished_[input] = true;
      failed_ = failed_ || !made;
    }
    changed_.notify_all();
  }
}

void MergeRun::add(MergeInput* input, ProfileTotal* total) {
  if (input->saved) {
    total->add(&input->rest, input->classes);
  } else {
    total->add(std::move(*input->profile));
    input->profile = nullptr;
  }
}

bool MergeRun::run(const ThreadSelection& threads, size_t aside, MergeableProfile* merged,
                   MergeableProfile* set) {
  for (size_t job = 0; job < jobs_; ++job) {
    workers_.emplace_back([this, &threads] { work(threads); });
  }
  ProfileTotal total, base;
  for (size_t input = 0; input < inputs_.size(); ++input) {
    std::unique_ptr<MergeInput> read;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return finished_[input] || (failed_ && input >= next_); });
      if (failed_) break;
      read = std::move(done_[input]);
      ++merged_;
    }
    changed_.notify_all();
    add(read.get(), input == aside ? &base : &total);
    std::lock_guard<std::mutex> lock(mutex_);
    spare_.push_back(std::move(read));
  }
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
  if (!total.empty()) *merged = total.take();
  if (!base.empty()) *set = base.take();
  std::lock_guard<std::mutex> lock(mutex_);
  return !failed_;
}

}  // namespace quintrel
