// AnalysisConfig: what one analysis is asked for, as typed values read once
// from the command line: summary or listing, the listing's format, and the
// filters every call must pass.
#ifndef QUINTREL_ANALYSIS_ANALYSIS_CONFIG_H_
#define QUINTREL_ANALYSIS_ANALYSIS_CONFIG_H_

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "analysis/time_window.h"

namespace quintrel {

enum class OutputKind {
  kSummary,  // calls are aggregated into a profile, reported at the end
  kListing,  // each accepted call is written as it completes
};

enum class ListingFormat {
  kRaw,    // the call's trace lines
  kCsv,    // one row of five quoted fields
  kJsonl,  // one JSON object a line
};

// The threads whose calls are analysed: all of them, or those whose id text
// is one of `ids`, compared byte for byte ("7" does not select "07").
struct ThreadSelection {
  bool all = true;
  std::set<std::string, std::less<>> ids;

  // The selection an answer at the thread prompt makes: "*" selects every
  // thread, any other word (the empty one included) the thread of that id.
  static ThreadSelection FromChoice(const std::string& choice);
  bool accepts(std::string_view threadId) const { return all || ids.count(threadId) != 0; }
};

// Names compared byte for byte, looked up by a view.
using NameSet = std::set<std::string, std::less<>>;

// The longest calls the summary reports list, and the most an analysis
// keeps whatever a report asks for.
constexpr size_t kSummaryTopCalls = 10;
constexpr size_t kMaxTopCalls = 1000;

struct AnalysisConfig {
  OutputKind output = OutputKind::kSummary;
  ListingFormat listing = ListingFormat::kRaw;
  ThreadSelection threads;
  bool rpcOnly = false;  // only calls during which the rpc counter rose
  TimeWindow window;     // only calls whose API line lies in it
  // Only calls whose API text (a query's lines included) the first pattern
  // matches and the second does not; valid patterns (TextPattern).
  std::optional<std::string> match;
  std::optional<std::string> exclude;
  // Only calls of the sessions whose connect named one of these users and
  // one of these repositories (SessionFilter); none given: all.
  std::optional<NameSet> users;
  std::optional<NameSet> repositories;
  // Summary mode: gather the analytics (classes, threads, timeline) instead
  // of every query for the reports that list them one by one.
  bool analytics = false;
  int64_t bucketSeconds = 0;           // the timeline's width; 0: chosen from the trace
  size_t topCalls = kSummaryTopCalls;  // the longest calls the profile keeps
  // With the analytics: the report is made from the mergeable profile (a
  // saved profile, a merge, a comparison), which then takes the longest
  // calls from Profile::topCalls, so that a huge call text is held once.
  bool mergeableTopCalls = false;
  // Literals, numbers and ids of the texts a run writes become "?".
  bool anonymize = false;
  // Summary mode: of an API line, and of the API text its continuation
  // lines make, the first bytes the analysis reads, this many (npos: all of
  // it), for reports that show no more of a call's text than its beginning.
  // A longer text's call and query classes, API name and session are read
  // from them; an API line's length is still counted whole. The text
  // filters, which read every byte, keep the whole text.
  size_t apiLineKept = std::string_view::npos;
};

// What the reports that cut call texts keep of an API line (apiLineKept):
// more than a class (kMaxFingerprint), an example or a digest line of any
// terminal's width can hold.
constexpr size_t kKeptApiLine = size_t{1} << 20;

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_ANALYSIS_CONFIG_H_
