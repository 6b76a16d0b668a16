// ListingFilter: the receiver of every completed call of an analysis in
// listing mode. It hands each call that the run's filters accept on to the
// listing as it arrives, and drops the others. It owns the filter; it does
// not own the listing.
#ifndef QUINTREL_ANALYSIS_LISTING_FILTER_H_
#define QUINTREL_ANALYSIS_LISTING_FILTER_H_

#include <string_view>

#include "analysis/analysis_config.h"
#include "analysis/call_filter.h"
#include "parse/trace_call_sink.h"

namespace quintrel {

class ListingFilter : public TraceCallSink {
 public:
  // `listing` must outlive the filter.
  ListingFilter(const AnalysisConfig& config, TraceCallSink* listing)
      : filter_(config), listing_(listing) {}

  void onCall(TraceCall* call) override {
    if (filter_.accepts(*call)) listing_->onCall(call);
  }
  void onTraceStart(std::string_view stamp) override { filter_.setTraceStart(stamp); }

  const CallFilter& filter() const { return filter_; }

 private:
  CallFilter filter_;
  TraceCallSink* listing_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_LISTING_FILTER_H_
