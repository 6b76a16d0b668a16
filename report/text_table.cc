#include "report/text_table.h"

#include <algorithm>

namespace quintrel {

namespace {

void Pad(std::ostream& out, size_t count) {
  for (size_t i = 0; i < count; ++i) out.put(' ');
}

}  // namespace

std::string CutText(const std::string& text, size_t columns) {
  if (DisplayWidth(text) <= columns) return text;
  size_t keep = columns > 3 ? columns - 3 : 0, at = 0, shown = 0;
  while (at < text.size() && shown < keep) {
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    ++shown;
  }
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
}

void TextTable::write(std::ostream& out, size_t width) const {
  std::vector<size_t> widths;
  for (const std::string& heading : headings_) widths.push_back(DisplayWidth(heading));
  for (const auto& row : rows_) {
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], DisplayWidth(row[i]));
  }
  size_t used = 2;
  for (size_t i = 0; i + 1 < widths.size(); ++i) used += widths[i] + 2;
  size_t last = width > used + 10 ? width - used : 10;
  auto writeLine = [&](const std::vector<std::string>& cells) {
    out << "  ";
    for (size_t i = 0; i < cells.size(); ++i) {
      bool lastCell = i + 1 == cells.size();
      std::string cell = lastCell ? CutText(cells[i], last) : cells[i];
      size_t padding = widths[i] - std::min(widths[i], DisplayWidth(cell));
      if (right_[i]) Pad(out, padding);
      out << cell;
      if (!lastCell) Pad(out, (right_[i] ? 0 : padding) + 2);
    }
    out << '\n';
  };
  writeLine(headings_);
  for (const auto& row : rows_) writeLine(row);
}

}  // namespace quintrel
