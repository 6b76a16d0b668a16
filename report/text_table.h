// TextTable: rows of cells printed in aligned columns whose widths follow
// the data: numbers right-aligned, texts left-aligned, the last column cut
// to what is left of a given width. A row may carry a note, a longer text
// written under it on lines of its own, wrapped to the width.
#ifndef QUINTREL_REPORT_TEXT_TABLE_H_
#define QUINTREL_REPORT_TEXT_TABLE_H_

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel {

class TextTable {
 public:
  // The headings; a heading that starts with '>' makes a right-aligned
  // column (the '>' is not shown).
  explicit TextTable(const std::vector<std::string>& headings);

  void addRow(std::vector<std::string> cells);
  // Gives the last row a note: written under it from the seventh column,
  // wrapped to the width, on at most `maxLines` lines (see WrapText).
  void addNote(std::string text, size_t maxLines);
  // Writes the heading and the rows, each line indented by two blanks and at
  // most `width` columns wide.
  void write(std::ostream& out, size_t width) const;

 private:
  std::vector<std::string> headings_;
  std::vector<bool> right_;
  std::vector<std::vector<std::string>> rows_;
  struct Note {
    std::string text;
    size_t maxLines = 0;
  };
  std::vector<Note> notes_;  // one per row
};

// The first columns a note stands after.
constexpr size_t kNoteIndent = 6;

// `text` in lines of at most `columns` characters, broken at its line feeds,
// and after a blank where one stands in the second half of a line, else
// within a word. At most `maxLines` lines: where the text needs more, the
// last one ends in "...".

std::vector<std::string> WrapText(const std::string& text, size_t columns, size_t maxLines);

// The byte just past the first `count` characters of the UTF-8 text `text`
// from byte `at`.
size_t SkipCharacters(std::string_view text, size_t at, size_t count);

// The number of characters (not bytes) of a UTF-8 text.
size_t DisplayWidth(const std::string& text);
// The longest beginning of the UTF-8 text `text` of at most `columns`
// characters, with "..." in place of what is cut.
std::string CutText(const std::string& text, size_t columns);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_TEXT_TABLE_H_
