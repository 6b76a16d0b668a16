#include "analysis/call_filter.h"

#include <string>

namespace quintrel {

CallFilter::CallFilter(const AnalysisConfig& config)
    : threads_(config.threads),
      rpcOnly_(config.rpcOnly),
      window_(config.window),
      sessions_(config.users, config.repositories) {
  std::string error;
  // The command line has checked the patterns; one that does not compile
  // takes no call.
  hasMatch_ = config.match.has_value();
  if (hasMatch_ && !match_.compile(*config.match, &error)) match_.compile("[^\\s\\S]", &error);
  hasExclude_ = config.exclude.has_value();
  if (hasExclude_ && !exclude_.compile(*config.exclude, &error)) exclude_.compile("", &error);
  matches_ = hasMatch_ || hasExclude_;
}

bool CallFilter::passesTextFilter(const TraceCall& call) {
  std::string_view text = call.apiText.view();
  if (hasMatch_ && !match_.search(text)) return false;
  return !hasExclude_ || !exclude_.search(text);
}

}  // namespace quintrel
