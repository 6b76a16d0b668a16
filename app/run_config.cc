#include "app/run_config.h"

namespace quintrel {

namespace {

// "XML" and "HTML" choose their reports; any other value the TEXT report.
ReportFormat ReportFormatOf(const std::string& value) {
  if (value == "XML") return ReportFormat::kXml;
  if (value == "HTML") return ReportFormat::kHtml;
  return ReportFormat::kText;
}

}  // namespace

RunConfig ReadRunConfig(const ParameterMap& parameters) {
  RunConfig config;
  config.traceFile = parameters.get("tracefile");
  config.outputFile = parameters.get("outputfile");
  config.toConsole = config.outputFile.empty() || config.outputFile == "CONSOLE";
  config.listThreads = ListThreadsRequested(parameters);
  config.reportFormat = ReportFormatOf(parameters.get("summaryformat"));
  AnalysisConfig& analysis = config.analysis;
  analysis.output = parameters.isSummary() ? OutputKind::kSummary : OutputKind::kListing;
  analysis.listing =
      parameters.get("outputformat") == "CSV" ? ListingFormat::kCsv : ListingFormat::kRaw;
  analysis.threads = ThreadSelection::FromChoice(parameters.get("thread"));
  analysis.rpcOnly = RpcOnlyRequested(parameters);
  return config;
}

}  // namespace quintrel
