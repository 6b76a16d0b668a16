#include "diag/debug_timer.h"

#include <fstream>
#include <iostream>

#include "diag/clock.h"

namespace quintrel {

namespace {

std::string loggerLevel = "NONE";
bool debugEnabled = false;
bool loggerConfigured = false;

}  // namespace

void ReadLoggerConfiguration() {
  loggerLevel = "NONE";
  debugEnabled = false;
  std::ifstream file("logger.properties");
  std::string line;
  while (file.good()) {
    std::getline(file, line);
    if (line == "DEBUG") {
      debugEnabled = true;
      loggerLevel = "DEBUG";
    }
  }
}

const std::string& LoggerLevel() { return loggerLevel; }

DebugTimer::DebugTimer(const std::string& /*name*/) {
  if (!loggerConfigured) {
    ReadLoggerConfiguration();
    loggerConfigured = true;
  }
  counterFrequency_ = CounterFrequency();
}

void DebugTimer::start() { startCount_ = CounterNow(); }

void DebugTimer::stop() { stopCount_ = CounterNow(); }

double DebugTimer::elapsedMicros() const {
  return static_cast<double>(stopCount_ - startCount_) / static_cast<double>(counterFrequency_) *
         1000000.0;
}

void DebugTimer::log(const std::string& tag, const std::string& message, int withDuration) const {
  if (loggerLevel != "DEBUG") return;
  std::cout << '[' << tag << "] " << message;
  if (withDuration == 1) std::cout << " dur=" << elapsedMicros() << "us";
  std::cout << std::endl;
}

}  // namespace quintrel
