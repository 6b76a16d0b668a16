// Detail output: one RAW or CSV record per accepted call, written as the
// call arrives.
#include <charconv>

#include "analysis/trace_summary.h"

namespace quintrel {

namespace {

void AppendCsvField(std::string_view text, std::string* out) {
  out->push_back('"');
  TraceSummary::csvQuote(text, out);
  out->append("\",");
}

void AppendCsvNumber(int64_t value, std::string* out) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  AppendCsvField(std::string_view(digits, result.ptr - digits), out);
}

}  // namespace

void TraceSummary::writeRawRecord(const TraceCall& call) {
  for (size_t i = 0; i < call.rawLineCount(); ++i) {
    const std::string& line = call.rawLine(i);
    reportStream->write(line.data(), line.size());
    reportStream->put('\n');
  }
}

void TraceSummary::writeCsvRow(const TraceCall& call) {
  // The record is built in a reused buffer and written at once.
  detailLine_.clear();
  AppendCsvField(call.getThreadId(), &detailLine_);
  AppendCsvField(call.timeStamp, &detailLine_);
  AppendCsvNumber(static_cast<int64_t>(call.resultRpcCount) - call.apiRpcCount, &detailLine_);
  AppendCsvNumber(call.durationMs, &detailLine_);
  AppendCsvField(call.apiText, &detailLine_);
  reportStream->write(detailLine_.data(), detailLine_.size());
  endLine();
}

void TraceSummary::csvQuote(std::string_view text, std::string* out) {
  size_t start = 0;
  for (size_t quote = text.find('"'); quote != std::string_view::npos;
       quote = text.find('"', quote + 1)) {
    out->append(text.data() + start, quote + 1 - start);
    out->push_back('"');
    start = quote + 1;
  }
  out->append(text.data() + start, text.size() - start);
}

}  // namespace quintrel
