// Fuzz target: arbitrary bytes as a trace, read by the line scanner and
// analysed into every report (the analytics ones included) and both detail
// listings, on the path every line of a run takes. Besides the sanitizers it checks that
// reading the lines in small pieces gives exactly what reading them whole
// gives, that the XML report is clean (nothing in it that a UTF-8 XML 1.0
// document cannot hold), and so is the dashboard for HTML.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "analysis/trace_analysis.h"
#include "input/file_source.h"
#include "input/line_reader.h"
#include "input/line_scanner.h"
#include "report/detail_writer.h"
#include "report/markup_escape.h"
#include "report/report_writer.h"

namespace {

// Analyses the bytes with `config`, reading pieces of at most `bufferSize`;
// the listing or the report in `format`.
std::string Analyse(const uint8_t* data, size_t size, const quintrel::AnalysisConfig& config,
                    quintrel::ReportFormat format, size_t bufferSize) {
  int fd = memfd_create("trace", 0);
  if (fd < 0 || write(fd, data, size) != static_cast<ssize_t>(size)) abort();
  lseek(fd, 0, SEEK_SET);
  quintrel::LineScanner scanner(std::make_unique<quintrel::LineReader>(
      std::make_unique<quintrel::FileSource>(fd), bufferSize));

  std::ostringstream out;
  quintrel::DetailWriter listing(config.listing, &out);
  quintrel::TraceAnalysis analysis(config, &listing);
  quintrel::LinePiece piece;
  quintrel::TraceLine parsed;
  while (scanner.next(&piece, &parsed)) analysis.take(piece, parsed);
  quintrel::Profile profile = analysis.finish();
  if (config.output == quintrel::OutputKind::kSummary) {
    WriteReport(format, profile, quintrel::ReportContext(), out);
  }
  return out.str();
}

// The output in whole lines, checked against the output in pieces.
std::string AnalyseBothWays(const uint8_t* data, size_t size,
                            const quintrel::AnalysisConfig& config, quintrel::ReportFormat format) {
  std::string whole = Analyse(data, size, config, format, size_t{1} << 20);
  if (Analyse(data, size, config, format, 16 + size % 17) != whole) abort();
  return whole;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using quintrel::ListingFormat;
  using quintrel::OutputKind;
  using quintrel::ReportFormat;
  quintrel::AnalysisConfig config;
  config.output = OutputKind::kListing;
  for (ListingFormat listing : {ListingFormat::kRaw, ListingFormat::kCsv, ListingFormat::kJsonl}) {
    config.listing = listing;
    AnalyseBothWays(data, size, config, ReportFormat::kText);
  }
  config.output = OutputKind::kSummary;
  AnalyseBothWays(data, size, config, ReportFormat::kText);
  AnalyseBothWays(data, size, config, ReportFormat::kHtml);
  config.analytics = true;
  AnalyseBothWays(data, size, config, ReportFormat::kJson);
  AnalyseBothWays(data, size, config, ReportFormat::kDigest);
  config.analytics = false;
  config.rpcOnly = size % 2 == 1;
  const std::string xml = AnalyseBothWays(data, size, config, ReportFormat::kXml);
  if (quintrel::ReplaceNonXmlBytes(xml) != xml) abort();
  config.analytics = true;
  const std::string page = AnalyseBothWays(data, size, config, ReportFormat::kDashboard);
  if (quintrel::ReplaceNonHtmlBytes(page) != page) abort();
  return 0;
}
