#include "report/text_table.h"

#include <algorithm>

namespace quintrel {

namespace {

void Pad(std::ostream& out, size_t count) {
  for (size_t i = 0; i < count; ++i) out.put(' ');
}

}  // namespace

size_t SkipCharacters(std::string_view text, size_t at, size_t count) {
  for (size_t shown = 0; at < text.size() && shown < count; ++shown) {
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
  }
  return at;
}

std::string CutText(const std::string& text, size_t columns) {
  if (DisplayWidth(text) <= columns) return text;
  size_t keep = columns > 3 ? columns - 3 : 0;
  size_t at = SkipCharacters(text, 0, keep);
  size_t shown = DisplayWidth(text.substr(0, at));
  return text.substr(0, at) + std::string(columns - shown > 3 ? 3 : columns - shown, '.');
}

size_t DisplayWidth(const std::string& text) {
  size_t width = 0;
  for (char c : text) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return width;
}

TextTable::TextTable(const std::vector<std::string>& headings) {
  for (const std::string& heading : headings) {
    bool right = !heading.empty() && heading[0] == '>';
    headings_.push_back(right ? heading.substr(1) : heading);
    right_.push_back(right);
  }
}

void TextTable::addRow(std::vector<std::string> cells) {
  cells.resize(headings_.size());
  rows_.push_back(std::move(cells));
  notes_.emplace_back();
}

void TextTable::addNote(std::string text, size_t maxLines) {
  notes_.back() = Note{std::move(text), maxLines};
}

std::vector<std::string> WrapText(const std::string& text, size_t columns, size_t maxLines) {
  std::vector<std::string> lines;
  columns = std::max<size_t>(columns, 4);
  size_t at = 0;
  while (at < text.size() && lines.size() < maxLines) {
    size_t lineEnd = std::min(text.find('\n', at), text.size());
    std::string rest = text.substr(at, lineEnd - at);
    if (lines.size() + 1 == maxLines && lineEnd < text.size()) {
      lines.push_back(CutText(rest + "...", columns));  // more lines follow
      break;
    }
    if (DisplayWidth(rest) <= columns || lines.size() + 1 == maxLines) {
      lines.push_back(CutText(rest, columns));
      at = lineEnd + 1;
      continue;
    }
    size_t end = SkipCharacters(text, at, columns), next = end;
    size_t blank = text.rfind(' ', end);
    if (blank != std::string::npos && blank > at &&
        DisplayWidth(text.substr(at, blank - at)) >= columns / 2) {
      end = blank;
      next = blank + 1;
    }
    lines.push_back(text.substr(at, end - at));
    at = next;
  }
  return lines;
}

void TextTable::write(std::ostream& out, size_t width) const {
  // A cell wider than a whole line is cut first, so that its column cannot
  // push the others out of the line.
  auto fitted = [width](const std::vector<std::string>& cells) {
    std::vector<std::string> fit;
    for (const std::string& cell : cells) fit.push_back(CutText(cell, width));
    return fit;
  };
  const std::vector<std::string> headings = fitted(headings_);
  std::vector<std::vector<std::string>> rows;
  for (const auto& row : rows_) rows.push_back(fitted(row));
  std::vector<size_t> widths;
  for (const std::string& heading : headings) widths.push_back(DisplayWidth(heading));
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], DisplayWidth(row[i]));
  }
  size_t used = 2;
  for (size_t i = 0; i + 1 < widths.size(); ++i) used += widths[i] + 2;
  size_t last = width > used + 10 ? width - used : 10;
  auto writeLine = [&](const std::vector<std::string>& cells) {
    std::string line = "  ";
    for (size_t i = 0; i < cells.size(); ++i) {
      bool lastCell = i + 1 == cells.size();
      std::string cell = lastCell ? CutText(cells[i], last) : cells[i];
      size_t padding = widths[i] - std::min(widths[i], DisplayWidth(cell));
      if (right_[i]) line.append(padding, ' ');
      line += cell;
      if (!lastCell) line.append((right_[i] ? 0 : padding) + 2, ' ');
    }
    out << CutText(line, width) << '\n';
  };
  writeLine(headings);
  size_t noteColumns = width > kNoteIndent + 20 ? width - kNoteIndent : 20;
  for (size_t row = 0; row < rows.size(); ++row) {
    writeLine(rows[row]);
    for (const std::string& line : WrapText(notes_[row].text, noteColumns, notes_[row].maxLines)) {
      Pad(out, kNoteIndent);
      out << line << '\n';
    }
  }
}

}  // namespace quintrel
