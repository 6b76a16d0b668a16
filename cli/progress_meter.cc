#include "cli/progress_meter.h"

#include <cstdio>

#include "output/system_streams.h"

namespace quintrel {

namespace {
const uint64_t kMinimumBytes = 64ull << 20;
const auto kRedrawInterval = std::chrono::milliseconds(250);
}  // namespace

ProgressMeter::ProgressMeter(bool enabled, uint64_t totalBytes)
    : enabled_(enabled && totalBytes > 0),
      totalBytes_(totalBytes),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {}

ProgressMeter::~ProgressMeter() { finish(); }

bool ProgressMeter::Wanted(bool toConsole, uint64_t traceBytes) {
  return !toConsole && traceBytes > kMinimumBytes &&
         SystemStreams::IsTerminal(SystemStreams::kError);
}

void ProgressMeter::update(uint64_t bytesRead) {
  if (!enabled_) return;
  auto now = std::chrono::steady_clock::now();
  if (shown_ && now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  double seconds = std::chrono::duration<double>(now - start_).count();
  double percent = 100.0 * static_cast<double>(bytesRead) / static_cast<double>(totalBytes_);
  double megabytesPerSecond =
      seconds > 0 ? static_cast<double>(bytesRead) / (1 << 20) / seconds : 0.0;
  std::fprintf(stderr, "\rquintrel: %3.0f%% read, %.0f MB/s ", percent, megabytesPerSecond);
  std::fflush(stderr);
  shown_ = true;
}

void ProgressMeter::finish() {
  if (!shown_) return;
  std::fprintf(stderr, "\r%40s\r", "");
  std::fflush(stderr);
  shown_ = false;
}

}  // namespace quintrel
