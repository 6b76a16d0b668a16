#include "diag/perf_trace.h"

#include <iostream>
#include <new>

#include "diag/clock.h"

namespace quintrel {

namespace {

const char kFileName[] = "perftrace.log";

bool perfFrequencyPending = true;
int64_t perfFrequency = 1;
int64_t perfStartCount = 0;
int64_t perfStopCount = 0;

PerfTrace* theInstance = nullptr;

}  // namespace

PerfTrace* PerfTrace::instance() {
  if (theInstance == nullptr) theInstance = new (std::nothrow) PerfTrace();
  return theInstance;
}

PerfTrace::PerfTrace() {
  try {
    traceStream_ =
        std::make_unique<std::ofstream>(kFileName, std::ios_base::out | std::ios_base::trunc);
  } catch (...) {
    std::cerr << "Exception: cannot open perftrace file " << kFileName << std::endl;
    traceStream_.reset();
  }
  if (traceStream_ != nullptr) write("Starting quintrel performance trace...\n");
}

void PerfTrace::start() {
  if (perfFrequencyPending) {
    perfFrequency = CounterFrequency();
    perfFrequencyPending = false;
  }
  perfStartCount = CounterNow();
}

void PerfTrace::stop() { perfStopCount = CounterNow(); }

double PerfTrace::elapsedSeconds() {
  return static_cast<double>(perfStopCount - perfStartCount) / static_cast<double>(perfFrequency);
}

void PerfTrace::writeElapsed() {
  if (traceStream_ == nullptr) return;
  *traceStream_ << elapsedSeconds();
  traceStream_->flush();
}

void PerfTrace::write(const std::string& text) {
  if (traceStream_ == nullptr) return;
  *traceStream_ << text;
  traceStream_->flush();
}

}  // namespace quintrel
