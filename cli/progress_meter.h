// ProgressMeter: a one-line progress indicator on standard error (the share
// of the trace read, the reading speed and the time left when the trace's
// size is known; the bytes read and the speed for a pipe), drawn at once for
// a trace over 64 MB and otherwise once the run has taken a second, redrawn at most a few times a
// second, and erased when the run ends or is interrupted (SIGINT, SIGTERM).
#ifndef QUINTREL_CLI_PROGRESS_METER_H_
#define QUINTREL_CLI_PROGRESS_METER_H_

#include <chrono>
#include <cstdint>

namespace quintrel {

class ProgressMeter {
 public:
  // A meter that shows nothing unless `enabled`; `totalBytes` is the size of
  // the trace, 0 when unknown.
  ProgressMeter(bool enabled, uint64_t totalBytes);
  ~ProgressMeter();

  // Whether a meter is worth showing: standard error is a terminal that
  // the report or listing is not written to.
  static bool Wanted(bool toConsole);

  // Draws the line (see above), then again when enough time has
  // passed since the last redraw. Cheap enough to call every few thousand
  // lines.
  void update(uint64_t bytesRead);
  // Erases the line and gives SIGINT and SIGTERM back their handlers;
  // called by the destructor too.
  void finish();

 private:
  void draw(uint64_t bytesRead, double seconds);

  bool enabled_;
  bool shown_ = false;
  uint64_t totalBytes_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace quintrel

#endif  // QUINTREL_CLI_PROGRESS_METER_H_
