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

// Texts longer than this are written in pieces of about this length, so
// that a huge one is never copied whole.
constexpr size_t kTextPiece = size_t{1} << 16;

// Where the piece of `text` written next ends: just after an ASCII byte,
// where the library's UTF-8 reading is at rest, so pieces write what the
// whole text writes; the whole text where there is no such byte.
size_t PieceEnd(std::string_view text) {
  if (text.size() <= kTextPiece) return text.size();
  for (size_t at = kTextPiece; at < text.size(); ++at) {
    if (static_cast<unsigned char>(text[at - 1]) < 0x80) return at;
  }
  return text.size();
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
  if (text.size() <= kTextPiece) {
    WriteScalar(Json(std::string(text)), out_);
    return;
  }
  out_->put('"');
  while (!text.empty()) {
    size_t end = PieceEnd(text);
    std::string piece =
        Json(std::string(text.substr(0, end))).dump(-1, ' ', false, Json::error_handler_t::replace);
    out_->write(piece.data() + 1, static_cast<std::streamsize>(piece.size() - 2));
    text.remove_prefix(end);
  }
  out_->put('"');
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
