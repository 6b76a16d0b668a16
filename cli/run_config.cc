#include "cli/run_config.h"

#include <algorithm>
#include <utility>

namespace quintrel {

namespace {

// "XML" and "HTML" choose their reports, so do the values the extensions
// add; any other value the TEXT report.
ReportFormat ReportFormatOf(const std::string& value) {
  const std::pair<const char*, ReportFormat> kFormats[] = {{"XML", ReportFormat::kXml},
                                                           {"HTML", ReportFormat::kHtml},
                                                           {"JSON", ReportFormat::kJson},
                                                           {"DIGEST", ReportFormat::kDigest},
                                                           {"DASHBOARD", ReportFormat::kDashboard},
                                                           {"PROFILE", ReportFormat::kProfile}};
  for (const auto& [name, format] : kFormats) {
    if (value == name) return format;
  }
  return ReportFormat::kText;
}

ListingFormat ListingFormatOf(const std::string& value) {
  if (value == "CSV") return ListingFormat::kCsv;
  return value == "JSONL" ? ListingFormat::kJsonl : ListingFormat::kRaw;
}

// The names of a list "NAME[,NAME...]", as --threads, --users and
// --repositories take them.
NameSet NamesOf(const std::string& list) {
  NameSet names;
  for (size_t start = 0; start <= list.size();) {
    size_t comma = std::min(list.find(',', start), list.size());
    names.insert(list.substr(start, comma - start));
    start = comma + 1;
  }
  return names;
}

ThreadSelection ThreadsOf(const std::string& list) {
  ThreadSelection selection;
  selection.all = false;
  selection.ids = NamesOf(list);
  return selection;
}

// The filters of the extensions, in the order the reports list them.
const char* const kFilterOptions[] = {"threads", "users", "repositories", "since",
                                      "until",   "match", "exclude"};

TimeBound BoundOf(const ParameterMap& parameters, const std::string& key) {
  TimeBound bound;
  if (parameters.contains(key)) TimeBound::Parse(parameters.get(key), &bound);
  return bound;
}

// The filters in force, with the values as given, and --anonymize, which
// changes what the report shows as they do.
std::vector<std::string> FiltersOf(const ParameterMap& parameters) {
  std::vector<std::string> filters;
  if (RpcOnlyRequested(parameters)) filters.push_back("-r");
  if (ListThreadsRequested(parameters)) filters.push_back("-l");
  for (const char* key : kFilterOptions) {
    if (parameters.contains(key))
      filters.push_back(std::string("--") + key + "=" + parameters.get(key));
  }
  if (parameters.contains("anonymize")) filters.push_back("--anonymize");
  return filters;
}

int64_t CountOf(const ParameterMap& parameters, const std::string& key, int64_t otherwise) {
  return parameters.contains(key) ? std::stoll(parameters.get(key)) : otherwise;
}

}  // namespace

RunConfig ReadRunConfig(const ParameterMap& parameters) {
  RunConfig config;
  config.traceFile = parameters.get("tracefile");
  config.outputFile = parameters.get("outputfile");
  config.toConsole = config.outputFile == kConsoleName || config.outputFile == "-";
  config.listThreads = ListThreadsRequested(parameters);
  config.reportFormat = ReportFormatOf(parameters.get("summaryformat"));
  config.cp1252 = parameters.get("encoding") == "cp1252";
  config.top = static_cast<size_t>(CountOf(parameters, "top", kDefaultTop));
  config.width = static_cast<size_t>(CountOf(parameters, "width", 0));
  config.filters = FiltersOf(parameters);
  config.merges = parameters.getAll("merge");
  config.compare = parameters.get("compare");
  config.jobs = static_cast<size_t>(CountOf(parameters, "jobs", 0));
  AnalysisConfig& analysis = config.analysis;
  analysis.output = parameters.isSummary() ? OutputKind::kSummary : OutputKind::kListing;
  analysis.listing = ListingFormatOf(parameters.get("outputformat"));
  analysis.threads = parameters.contains("threads")
                         ? ThreadsOf(parameters.get("threads"))
                         : ThreadSelection::FromChoice(parameters.get("thread"));
  analysis.rpcOnly = RpcOnlyRequested(parameters);
  analysis.window = TimeWindow(BoundOf(parameters, "since"), BoundOf(parameters, "until"));
  analysis.analytics =
      analysis.output == OutputKind::kSummary && ShowsAnalytics(config.reportFormat);
  analysis.bucketSeconds = CountOf(parameters, "bucket", 0);
  analysis.anonymize = parameters.contains("anonymize");
  if (parameters.contains("match")) analysis.match = parameters.get("match");
  if (parameters.contains("exclude")) analysis.exclude = parameters.get("exclude");
  if (parameters.contains("users")) analysis.users = NamesOf(parameters.get("users"));
  if (parameters.contains("repositories")) {
    analysis.repositories = NamesOf(parameters.get("repositories"));
  }
  // The analytics reports may list more of the longest calls than the
  // summaries, never fewer.
  if (analysis.analytics) {
    analysis.topCalls = std::min(std::max(config.top, kSummaryTopCalls), kMaxTopCalls);
  }
  // A saved profile keeps all the longest calls any report of a merge lists.
  if (config.reportFormat == ReportFormat::kProfile) analysis.topCalls = kMaxTopCalls;
  analysis.mergeableTopCalls = config.reportFormat == ReportFormat::kProfile ||
                               !config.merges.empty() || !config.compare.empty();
  // The digest and the dashboard show the beginning of a call's text, at
  // most a line of the digest's width (of up to four bytes a character).
  bool cutsCallTexts = config.reportFormat == ReportFormat::kDigest ||
                       config.reportFormat == ReportFormat::kDashboard;
  if (cutsCallTexts && !analysis.mergeableTopCalls && config.width < kKeptApiLine / 4) {
    analysis.apiLineKept = kKeptApiLine;
  }
  config.warnsWhenFilteredEmpty = analysis.analytics;
  for (const char* key : kFilterOptions) {
    config.warnsWhenFilteredEmpty |= parameters.contains(key);
  }
  return config;
}

}  // namespace quintrel
