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

// The report (TEXT, XML, HTML) or listing (RAW, CSV) of the trace.
std::string Analyse(const uint8_t* data, size_t size, const std::string& format, bool rpcOnly) {
  int fd = memfd_create("trace", 0);
  if (fd < 0 || write(fd, data, size) != static_cast<ssize_t>(size)) abort();
  lseek(fd, 0, SEEK_SET);
  quintrel::LineReader reader;
  reader.openFd(fd);

  const bool summary = format != "RAW" && format != "CSV";
  std::ostringstream out;
  quintrel::TraceLineProcessor processor;
  processor.setRawLinePolicy(summary ? quintrel::RawLinePolicy::kApiContinuations
                                     : quintrel::RawLinePolicy::kAll);
  quintrel::TraceSummary traceSummary(&out, "*", rpcOnly, summary ? "RAW" : format, summary);
  processor.setSink(&traceSummary);
  std::string_view line;
  while (reader.next(&line)) processor.processLine(line);
  processor.finish();
  if (format == "TEXT") traceSummary.writeTextReport();
  if (format == "XML") traceSummary.writeXmlReport();
  if (format == "HTML") traceSummary.writeHtmlReport();
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const char* format : {"TEXT", "HTML", "RAW", "CSV"}) Analyse(data, size, format, false);
  const std::string xml = Analyse(data, size, "XML", size % 2 == 1);
  if (quintrel::ReplaceNonXmlBytes(xml) != xml) abort();
  return 0;
}
