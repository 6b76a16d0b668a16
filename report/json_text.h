// Writing trace texts as JSON strings that every JSON reader takes, whatever
// bytes the trace holds.
#ifndef QUINTREL_REPORT_JSON_TEXT_H_
#define QUINTREL_REPORT_JSON_TEXT_H_

#include <string_view>

#include "parse/text_buffer.h"

namespace quintrel {

// Appends the characters of `text` as they stand inside a JSON string, without
// the quotes: '"' and '\' escaped, control characters as \n, \t, \r or \u00XX,
// and every byte outside a valid UTF-8 sequence (surrogates included) as
// U+FFFD, one replacement per byte.
void AppendJsonChars(std::string_view text, TextBuffer* out);
// The most bytes those characters take for one byte of text (a control
// character as \u00XX).
constexpr size_t kJsonCharRoom = 6;
// Writes what AppendJsonChars appends into `out`, which has room for
// kJsonCharRoom bytes per byte of `text`, and returns the end of what it
// wrote.
char* WriteJsonChars(std::string_view text, char* out);
// The same up to the first byte `stop` (-1: none), a plain ASCII byte, or
// the end; `*read` (unless null) says how far that is.
char* WriteJsonCharsUntil(std::string_view text, int stop, char* out, size_t* read);
// Appends `text` as one quoted JSON string.
void AppendJsonString(std::string_view text, TextBuffer* out);

// Where a text may be cut into pieces that AppendJsonChars writes as it
// writes the whole: at most `size` (> 3) bytes, shorter only to keep a UTF-8
// sequence whole.
size_t JsonPieceLength(std::string_view text, size_t size);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_JSON_TEXT_H_
