#include "report/detail_writer.h"

#include <charconv>
#include <cstring>

#include "report/line_end.h"

namespace quintrel {

namespace {

void AppendCsvField(std::string_view text, TextBuffer* out) {
  out->push_back('"');
  DetailWriter::CsvQuote(text, out);
  out->append("\",");
}

}  // namespace

void DetailWriter::onCall(TraceCall* call) {
  switch (format_) {
    case ListingFormat::kRaw:
      writeRawRecord(*call);
      break;
    case ListingFormat::kCsv:
      writeCsvRow(*call);
      break;
    case ListingFormat::kJsonl:
      jsonl_.write(*call);
      break;
  }
}

void DetailWriter::writeRawRecord(const TraceCall& call) {
  std::string_view text = call.rawText();
  out_->write(text.data(), text.size());
}

void DetailWriter::writeCsvRow(const TraceCall& call) {
  char rpc[24], duration[24];
  auto number = [](int64_t value, char* digits) {
    return std::string_view(digits, std::to_chars(digits, digits + 24, value).ptr - digits);
  };
  const std::string_view fields[] = {
      call.getThreadId(), call.timeStamp,
      number(static_cast<int64_t>(call.resultRpcCount) - call.apiRpcCount, rpc),
      number(call.durationMs, duration)};
  // The record is built in a reused buffer and written at once; only an API
  // text too long to copy is written on its own.
  line_.clear();
  for (std::string_view field : fields) AppendCsvField(field, &line_);
  std::string_view apiText =
      anonymize_ ? anonymizer_.callText(call.apiLineText()) : call.apiLineText();
  if (apiText.size() < kLargeText) {
    AppendCsvField(apiText, &line_);
  } else {
    writeLargeField(apiText);
  }
  out_->write(line_.view().data(), line_.size());
  EndLine(*out_);
}

void DetailWriter::writeLargeField(std::string_view text) {
  line_.push_back('"');
  out_->write(line_.view().data(), line_.size());
  // Quoted and written a part at a time, which stays bounded.
  for (size_t at = 0; at < text.size(); at += kLargeText) {
    line_.clear();
    CsvQuote(text.substr(at, kLargeText), &line_);
    out_->write(line_.view().data(), line_.size());
  }
  line_.assign("\",");
}

void DetailWriter::CsvQuote(std::string_view text, TextBuffer* out) {
  size_t start = 0;
  for (size_t quote = text.find('"'); quote != std::string_view::npos;
       quote = text.find('"', quote + 1)) {
    out->append(text.substr(start, quote + 1 - start));
    out->push_back('"');
    start = quote + 1;
  }
  out->append(text.substr(start));
}

}  // namespace quintrel
