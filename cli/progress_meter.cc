#include "cli/progress_meter.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>

namespace quintrel {

namespace {

// A trace of this size takes long enough to be shown at once; smaller or
// unknown ones once the run has taken kFirstDraw.
const uint64_t kLargeTrace = 64ull << 20;
const auto kFirstDraw = std::chrono::seconds(1);
const auto kRedrawInterval = std::chrono::milliseconds(250);
const char kErase[] = "\r                                                            \r";

// Whether a line is on screen, for the signal handler.
volatile std::sig_atomic_t lineShown = 0;

// Erases the line, then ends the process as the signal would have.
void EraseAndDie(int signal) {
  if (lineShown) {
    ssize_t written = ::write(STDERR_FILENO, kErase, sizeof kErase - 1);
    (void)written;
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

ProgressMeter::ProgressMeter(bool enabled, uint64_t totalBytes)
    : enabled_(enabled),
      totalBytes_(totalBytes),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {}

ProgressMeter::~ProgressMeter() { finish(); }

bool ProgressMeter::Wanted(bool toConsole) {
  return isatty(STDERR_FILENO) == 1 && !(toConsole && isatty(STDOUT_FILENO) == 1);
}

void ProgressMeter::update(uint64_t bytesRead) {
  if (!enabled_) return;
  auto now = std::chrono::steady_clock::now();
  if (shown_ ? now - lastDraw_ < kRedrawInterval
             : totalBytes_ <= kLargeTrace && now - start_ < kFirstDraw) {
    return;
  }
  if (!shown_) {
    std::signal(SIGINT, EraseAndDie);
    std::signal(SIGTERM, EraseAndDie);
  }
  lastDraw_ = now;
  draw(bytesRead, std::chrono::duration<double>(now - start_).count());
  shown_ = true;
  lineShown = 1;
}

void ProgressMeter::draw(uint64_t bytesRead, double seconds) {
  double read = static_cast<double>(bytesRead);
  double megabytesPerSecond = seconds > 0 ? read / (1 << 20) / seconds : 0.0;
  if (totalBytes_ == 0 || bytesRead > totalBytes_) {
    std::fprintf(stderr, "\rquintrel: %.1f MB read, %.0f MB/s ", read / (1 << 20),
                 megabytesPerSecond);
  } else {
    double left = read > 0 ? seconds * (static_cast<double>(totalBytes_) - read) / read : 0.0;
    std::fprintf(stderr, "\rquintrel: %3.0f%% read, %.0f MB/s, %.0f s left ",
                 100.0 * read / static_cast<double>(totalBytes_), megabytesPerSecond, left);
  }
  std::fflush(stderr);
}

void ProgressMeter::finish() {
  if (!shown_) return;
  lineShown = 0;
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  std::fputs(kErase, stderr);
  std::fflush(stderr);
  shown_ = false;
}

}  // namespace quintrel
