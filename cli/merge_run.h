// MergeRun: the mergeable profiles of several inputs (traces or saved
// profiles) made side by side and merged in the order given, as --merge and
// --compare ask. Up to `jobs` inputs are analysed at once, each by a
// TraceProfiler of its own on a thread of its own (which runs the three
// threads of a run, see cli/trace_profiler.h). Profiles are merged on the
// calling thread strictly in input order, so that the result is the same
// however the jobs finish; an input does not start while more than two
// profiles per job wait to be merged, which bounds the memory to what the
// merged profile holds plus a fixed amount per job. A saved profile is read
// on a job's thread into the parts the running total takes (cli/
// merge_input.h), whose buffers go back to the jobs once merged. It owns its
// threads and the inputs waiting; it does not own the RunConfig.
#ifndef QUINTREL_CLI_MERGE_RUN_H_
#define QUINTREL_CLI_MERGE_RUN_H_

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "analysis/analysis_config.h"
#include "analysis/mergeable_profile.h"
#include "analysis/profile_total.h"
#include "cli/merge_input.h"
#include "cli/run_config.h"

namespace quintrel {

class MergeRun {
 public:
  // `config` must outlive the run.
  MergeRun(const RunConfig* config, std::vector<std::string> inputs, size_t jobs);
  // Waits for the jobs still running.
  ~MergeRun();
  MergeRun(const MergeRun&) = delete;
  MergeRun& operator=(const MergeRun&) = delete;

  // Merges the profiles of every input into `merged`, except that of input
  // `aside` (the base of a comparison; none when out of range), which goes
  // to `set`. Returns false when an input failed (reported); the inputs not
  // yet started are skipped then.
  bool run(const ThreadSelection& threads, size_t aside, MergeableProfile* merged,
           MergeableProfile* set);

 private:
  void work(const ThreadSelection& threads);
  // An input's buffers from one merged before, or new ones.
  std::unique_ptr<MergeInput> spareInput();
  // Adds what `input` holds to `total`.
  static void add(MergeInput* input, ProfileTotal* total);

  const RunConfig* config_;
  std::vector<std::string> inputs_;
  size_t jobs_;
  std::vector<std::thread> workers_;

  // Guarded by mutex_; changed_ tells of every change.
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t next_ = 0;    // the next input to start
  size_t merged_ = 0;  // inputs taken by the calling thread
  // Per input, what it gave once made, until the calling thread takes it.
  std::vector<std::unique_ptr<MergeInput>> done_;
  // Inputs merged, their buffers kept for the next ones.
  std::vector<std::unique_ptr<MergeInput>> spare_;
  std::vector<bool> finished_;
  bool failed_ = false;
};

// The cores the machine has, at least 1.
size_t MachineCores();

}  // namespace quintrel

#endif  // QUINTREL_CLI_MERGE_RUN_H_
