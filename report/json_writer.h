// JsonWriter: writes one JSON document to a stream as it is produced, so
// that a report holds no more than the containers open at a time, never
// the document. The layout is one member or element a line, indented by a
// blank a level, "key": value, and "{}" or "[]" for an empty container.
// Texts are escaped as JSON needs, written as UTF-8; bytes that are not
// valid UTF-8 become U+FFFD. Numbers are written as JSON libraries write
// them: integers as they are, a double in its shortest exact form (with
// ".0" when it is whole).
//
// Within an object, each value follows its key (or use the field()
// forms); an array takes values alone. Whoever writes must open and close
// the containers in order; the writer checks nothing. It owns nothing: the
// stream must outlive it.
#ifndef QUINTREL_REPORT_JSON_WRITER_H_
#define QUINTREL_REPORT_JSON_WRITER_H_

#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

namespace quintrel {

class JsonWriter {
 public:
  explicit JsonWriter(std::ostream* out) : out_(out) {}

  void beginObject();
  void endObject();
  void beginArray();
  void endArray();
  // The name of the next member of the open object.
  void key(std::string_view name);

  void value(std::string_view text);
  void value(const char* text) { value(std::string_view(text)); }
  void value(int64_t number);
  void value(uint64_t number);
  void value(double number);
  void value(bool flag);

  // A member of the open object: key(name), then value(...).
  void field(std::string_view name, std::string_view text);
  void field(std::string_view name, const char* text) { field(name, std::string_view(text)); }
  void field(std::string_view name, int64_t number);
  void field(std::string_view name, uint64_t number);
  void field(std::string_view name, double number);
  void field(std::string_view name, bool flag);

 private:
  // Ends the line before a member or element and indents it; nothing after
  // a key, whose value stands on its line.
  void beginValue();
  void open(char bracket);
  void close(char bracket);

  std::ostream* out_;
  std::vector<bool> empty_;  // per open container: nothing written in it yet
  bool afterKey_ = false;
};

}  // namespace quintrel

#endif  // QUINTREL_REPORT_JSON_WRITER_H_
