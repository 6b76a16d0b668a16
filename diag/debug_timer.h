// The debug logger: a process-wide level read once from "logger.properties"
// in the working directory, and DebugTimer, a stopwatch whose log() prints a
// tagged line, optionally with the measured time, when the level is "DEBUG".
// No step of an analysis run uses it; it serves code that wants to time and
// trace a step.
#ifndef QUINTREL_DIAG_DEBUG_TIMER_H_
#define QUINTREL_DIAG_DEBUG_TIMER_H_

#include <cstdint>
#include <string>

namespace quintrel {

// Reads "logger.properties": a line that is exactly "DEBUG" sets the level
// to "DEBUG"; otherwise, or without the file, it is "NONE". DebugTimer calls
// it once per process.
void ReadLoggerConfiguration();
// The current level: "NONE" until a configuration enabled "DEBUG".
const std::string& LoggerLevel();

class DebugTimer {
 public:
  // `name` is accepted for the caller's readability and not stored.
  explicit DebugTimer(const std::string& name);
  ~DebugTimer() = default;

  void start();
  void stop();
  // Microseconds between start() and stop().
  double elapsedMicros() const;
  // At level "DEBUG" prints "[tag] message" and, when `withDuration` is 1,
  // " dur=<elapsedMicros>us", then a line end, on standard output.
  void log(const std::string& tag, const std::string& message, int withDuration) const;

 private:
  int64_t startCount_ = 0;
  int64_t stopCount_ = 0;
  int64_t counterFrequency_;
};

}  // namespace quintrel

#endif  // QUINTREL_DIAG_DEBUG_TIMER_H_
