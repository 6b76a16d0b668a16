#include "analysis/detail_writer.h"

#include <charconv>

#include "analysis/line_end.h"

namespace quintrel {

namespace {

// API texts up to this size are copied into the record's line.
const size_t kCopiedText = size_t{64} << 10;

void AppendCsvField(std::string_view text, std::string* out) {
  out->push_back('"');
  DetailWriter::CsvQuote(text, out);
  out->append("\",");
}

void AppendCsvNumber(int64_t value, std::string* out) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  AppendCsvField(std::string_view(digits, result.ptr - digits), out);
}

}  // namespace

void DetailWriter::write(const TraceCall& call) {
  if (format_ == ListingFormat::kRaw) {
    writeRawRecord(call);
  } else {
    writeCsvRow(call);
  }
}

void DetailWriter::writeRawRecord(const TraceCall& call) {
  std::string_view text = call.rawText();
  out_->write(text.data(), text.size());
}

void DetailWriter::writeCsvRow(const TraceCall& call) {
  // The record is built in a reused buffer and written at once; only an API
  // text too long to copy is written on its own.
  line_.clear();
  AppendCsvField(call.getThreadId(), &line_);
  AppendCsvField(call.timeStamp, &line_);
  AppendCsvNumber(static_cast<int64_t>(call.resultRpcCount) - call.apiRpcCount, &line_);
  AppendCsvNumber(call.durationMs, &line_);
  std::string_view apiText = call.apiLineText();
  if (apiText.size() < kCopiedText) {
    AppendCsvField(apiText, &line_);
  } else {
    line_.push_back('"');
    out_->write(line_.data(), line_.size());
    writeCsvQuoted(apiText);
    line_ = "\",";
  }
  out_->write(line_.data(), line_.size());
  EndLine(*out_);
}

void DetailWriter::writeCsvQuoted(std::string_view text) {
  size_t start = 0;
  for (size_t quote = text.find('"'); quote != std::string_view::npos;
       quote = text.find('"', quote + 1)) {
    out_->write(text.data() + start, quote + 1 - start);
    out_->put('"');
    start = quote + 1;
  }
  out_->write(text.data() + start, text.size() - start);
}

void DetailWriter::CsvQuote(std::string_view text, std::string* out) {
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
