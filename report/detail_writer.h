// DetailWriter: the detail listing, one record per accepted call written as
// the call arrives: RAW (the call's recorded trace lines), CSV (one line of
// five quoted fields, each followed by a comma) or JSONL (one JSON object a
// line, see JsonlWriter). It receives the calls as the analysis's listing
// sink. It does not own its stream.
#ifndef QUINTREL_REPORT_DETAIL_WRITER_H_
#define QUINTREL_REPORT_DETAIL_WRITER_H_

#include <ostream>
#include <string>
#include <string_view>

#include "analysis/analysis_config.h"
#include "parse/text_buffer.h"
#include "parse/trace_call.h"
#include "parse/trace_call_sink.h"
#include "report/jsonl_writer.h"

namespace quintrel {

class DetailWriter : public TraceCallSink {
 public:
  // `out` must outlive the writer. With `anonymize`, CSV and JSONL write
  // the call texts as Anonymizer gives them.
  DetailWriter(ListingFormat format, std::ostream* out, bool anonymize = false)
      : format_(format), out_(out), anonymize_(anonymize), jsonl_(out, anonymize) {}

  // Writes the record of `call` in the writer's format.
  void onCall(TraceCall* call) override;

  // Appends `text` to `out` with every double quote doubled.
  static void CsvQuote(std::string_view text, TextBuffer* out);

 private:
  // RAW: the call's raw text, each line followed by a line feed.
  void writeRawRecord(const TraceCall& call);
  // CSV: thread, time stamp, rpc count (result minus API counter), duration
  // in ms and API text, then a line end.
  void writeCsvRow(const TraceCall& call);
  // Writes what line_ holds and `text` quoted as a field; leaves in line_
  // what follows the field.
  void writeLargeField(std::string_view text);

  ListingFormat format_;
  std::ostream* out_;
  bool anonymize_;
  JsonlWriter jsonl_;
  Anonymizer anonymizer_;
  TextBuffer line_;  // reused for each CSV record
};

}  // namespace quintrel

#endif  // QUINTREL_REPORT_DETAIL_WRITER_H_
