// ProgressMeter: a one-line progress indicator on standard error for long
// runs (percent of the trace read and the reading speed), redrawn at most a
// few times a second and erased when the run ends.
#ifndef QUINTREL_CLI_PROGRESS_METER_H_
#define QUINTREL_CLI_PROGRESS_METER_H_

#include <chrono>
#include <cstdint>

namespace quintrel {

class ProgressMeter {
 public:
  // A meter that shows nothing unless `enabled`; `totalBytes` is the size of
  // the trace.
  ProgressMeter(bool enabled, uint64_t totalBytes);
  ~ProgressMeter();

  // Whether a meter is worth showing: standard error is a terminal, the
  // report goes to a file and the trace is large.
  static bool Wanted(bool toConsole, uint64_t traceBytes);

  // Draws the line at the first call, then again when enough time has passed
  // since the last redraw. Cheap enough to call every few thousand lines.
  void update(uint64_t bytesRead);
  // Erases the line; called by the destructor too.
  void finish();

 private:
  bool enabled_;
  bool shown_ = false;
  uint64_t totalBytes_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace quintrel

#endif  // QUINTREL_CLI_PROGRESS_METER_H_
