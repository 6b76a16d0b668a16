// TerminationCleanup: removes the run's hidden output file when SIGINT,
// SIGTERM or SIGHUP ends the run, then lets the signal end it as it would
// have. Only a file system without unnamed files needs it (see
// output_file.h): an unnamed file goes with the process.
//
// There is one file to remove at a time, a process-wide slot. The path is
// copied into static storage, so that the handler allocates nothing and
// calls only unlink() and raise(). A signal that was ignored when the run
// started stays ignored.
#ifndef QUINTREL_OUTPUT_TERMINATION_CLEANUP_H_
#define QUINTREL_OUTPUT_TERMINATION_CLEANUP_H_

#include <string>

namespace quintrel {

class TerminationCleanup {
 public:
  // Has `path` removed if one of the signals arrives, installing the
  // handlers the first time. Returns false, doing nothing, for a path longer
  // than the slot holds (PATH_MAX).
  static bool Arm(const std::string& path);
  // Forgets the path: call it before the file is named or removed.
  static void Disarm();
  // Removes the armed file now, from another handler of the signals that
  // ends the run; safe in a signal handler.
  static void RemoveNow();
};

}  // namespace quintrel

#endif  // QUINTREL_OUTPUT_TERMINATION_CLEANUP_H_
