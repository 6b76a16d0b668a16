// Fuzz target: arbitrary bytes as a trace, read by the line reader and run
// through the line processor into every report writer and both detail
// listings. Besides the sanitizers it checks that the XML report is clean:
// nothing in it that a UTF-8 XML 1.0 document cannot hold.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "analysis/trace_summary.h"
#include "app/line_reader.h"
#include "parse/trace_line_processor.h"
#include "report/markup_escape.h"

namespace {

enum class Output { kText, kXml, kHtml, kRaw, kCsv };

std::string Analyse(const uint8_t* data, size_t size, Output output, bool rpcOnly) {
  int fd = memfd_create("trace", 0);
  if (fd < 0 || write(fd, data, size) != static_cast<ssize_t>(size)) abort();
  lseek(fd, 0, SEEK_SET);
  quintrel::LineReader reader;
  reader.openFd(fd);

  bool summary = output == Output::kText || output == Output::kXml || output == Output::kHtml;
  std::ostringstream out;
  quintrel::TraceLineProcessor processor;
  processor.setRawLinePolicy(summary ? quintrel::RawLinePolicy::kApiContinuations
                                     : quintrel::RawLinePolicy::kAll);
  quintrel::TraceSummary traceSummary(&out, "*", rpcOnly, output == Output::kCsv ? "CSV" : "RAW",
                                      summary);
  processor.setSink(&traceSummary);
  std::string_view line;
  while (reader.next(&line)) processor.processLine(line);
  processor.finish();
  if (output == Output::kText) traceSummary.writeTextReport();
  if (output == Output::kXml) traceSummary.writeXmlReport();
  if (output == Output::kHtml) traceSummary.writeHtmlReport();
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (Output output : {Output::kText, Output::kHtml, Output::kRaw, Output::kCsv}) {
    Analyse(data, size, output, false);
  }
  std::string xml = Analyse(data, size, Output::kXml, size % 2 == 1);
  if (quintrel::ReplaceNonXmlBytes(xml) != xml) abort();
  return 0;
}
