#include "report/json_writer.h"

#include <nlohmann/json.hpp>
#include <string>

namespace quintrel {

namespace {

using Json = nlohmann::ordered_json;

// A scalar as the JSON library writes it, invalid UTF-8 replaced.
void WriteScalar(const Json& scalar, std::ostream* out) {
  *out << scalar.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

void JsonWriter::beginValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (empty_.empty()) return;  // the document itself
  if (!empty_.back()) out_->put(',');
  empty_.back() = false;
  out_->put('\n');
  for (size_t level = 0; level < empty_.size(); ++level) out_->put(' ');
}

void JsonWriter::open(char bracket) {
  beginValue();
  out_->put(bracket);
  empty_.push_back(true);
}

void JsonWriter::close(char bracket) {
  bool wasEmpty = empty_.back();
  empty_.pop_back();
  if (!wasEmpty) {
    out_->put('\n');
    for (size_t level = 0; level < empty_.size(); ++level) out_->put(' ');
  }
  out_->put(bracket);
}

void JsonWriter::beginObject() { open('{'); }
void JsonWriter::endObject() { close('}'); }
void JsonWriter::beginArray() { open('['); }
void JsonWriter::endArray() { close(']'); }

void JsonWriter::key(std::string_view name) {
  beginValue();
  WriteScalar(Json(std::string(name)), out_);
  *out_ << ": ";
  afterKey_ = true;
}

void JsonWriter::value(std::string_view text) {
  beginValue();
  WriteScalar(Json(std::string(text)), out_);
}

void JsonWriter::value(int64_t number) {
  beginValue();
  *out_ << number;
}

void JsonWriter::value(uint64_t number) {
  beginValue();
  *out_ << number;
}

void JsonWriter::value(double number) {
  beginValue();
  WriteScalar(Json(number), out_);
}

void JsonWriter::value(bool flag) {
  beginValue();
  *out_ << (flag ? "true" : "false");
}

void JsonWriter::field(std::string_view name, std::string_view text) {
  key(name);
  value(text);
}

void JsonWriter::field(std::string_view name, int64_t number) {
  key(name);
  value(number);
}

void JsonWriter::field(std::string_view name, uint64_t number) {
  key(name);
  value(number);
}

void JsonWriter::field(std::string_view name, double number) {
  key(name);
  value(number);
}

void JsonWriter::field(std::string_view name, bool flag) {
  key(name);
  value(flag);
}

}  // namespace quintrel
