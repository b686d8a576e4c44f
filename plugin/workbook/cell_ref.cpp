#include "workbook/cell_ref.h"

#include <algorithm>

namespace velmor::workbook {

bool IsValidPos(CellPos p) { return p.row < kMaxRows && p.col < kMaxColumns; }

bool IsValidRange(const CellRange& r) {
  return IsValidPos(r.first) && IsValidPos(r.last) && r.first.row <= r.last.row &&
         r.first.col <= r.last.col;
}

std::optional<uint32_t> ParseColumnName(std::string_view s) {
  if (s.empty() || s.size() > 3) return std::nullopt;
  uint32_t n = 0;
  for (char ch : s) {
    char c = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
    if (c < 'A' || c > 'Z') return std::nullopt;
    n = n * 26 + static_cast<uint32_t>(c - 'A' + 1);
  }
  if (n > kMaxColumns) return std::nullopt;
  return n - 1;
}

std::string ColumnName(uint32_t col) {
  std::string s;
  uint32_t n = col + 1;
  while (n > 0) {
    uint32_t rem = (n - 1) % 26;
    s.insert(s.begin(), static_cast<char>('A' + rem));
    n = (n - 1) / 26;
  }
  return s;
}

std::optional<CellPos> ParseCellRef(std::string_view ref) {
  size_t i = 0;
  if (i < ref.size() && ref[i] == '$') ++i;
  size_t letters = i;
  while (i < ref.size() && ((ref[i] >= 'A' && ref[i] <= 'Z') || (ref[i] >= 'a' && ref[i] <= 'z'))) ++i;
  auto col = ParseColumnName(ref.substr(letters, i - letters));
  if (!col) return std::nullopt;
  if (i < ref.size() && ref[i] == '$') ++i;
  if (i == ref.size() || ref.size() - i > 7) return std::nullopt;
  uint32_t row = 0;
  for (; i < ref.size(); ++i) {
    if (ref[i] < '0' || ref[i] > '9') return std::nullopt;
    row = row * 10 + static_cast<uint32_t>(ref[i] - '0');
  }
  if (row == 0 || row > kMaxRows) return std::nullopt;
  return CellPos{row - 1, *col};
}

std::string CellRefText(CellPos p, bool absolute) {
  std::string d = absolute ? "$" : "";
  return d + ColumnName(p.col) + d + std::to_string(p.row + 1);
}

std::optional<CellRange> ParseRange(std::string_view text) {
  auto colon = text.find(':');
  auto a = ParseCellRef(text.substr(0, colon));
  if (!a) return std::nullopt;
  CellPos b = *a;
  if (colon != std::string_view::npos) {
    auto parsed = ParseCellRef(text.substr(colon + 1));
    if (!parsed) return std::nullopt;
    b = *parsed;
  }
  return CellRange{{std::min(a->row, b.row), std::min(a->col, b.col)},
                   {std::max(a->row, b.row), std::max(a->col, b.col)}};
}

std::string RangeText(const CellRange& r, bool absolute) {
  if (r.first == r.last) return CellRefText(r.first, absolute);
  return CellRefText(r.first, absolute) + ":" + CellRefText(r.last, absolute);
}

std::optional<std::vector<CellRange>> ParseRangeList(std::string_view text) {
  std::vector<CellRange> out;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') { ++i; continue; }
    size_t end = text.find(' ', i);
    if (end == std::string_view::npos) end = text.size();
    auto r = ParseRange(text.substr(i, end - i));
    if (!r) return std::nullopt;
    out.push_back(*r);
    i = end;
  }
  return out;
}

std::vector<CellRange> SubtractRange(const CellRange& from, const CellRange& cut) {
  if (!from.Intersects(cut)) return {from};
  std::vector<CellRange> out;
  // Bands above and below the cut span the full width; left and right pieces the middle rows.
  if (from.first.row < cut.first.row)
    out.push_back({from.first, {cut.first.row - 1, from.last.col}});
  if (from.last.row > cut.last.row)
    out.push_back({{cut.last.row + 1, from.first.col}, from.last});
  uint32_t top = std::max(from.first.row, cut.first.row);
  uint32_t bottom = std::min(from.last.row, cut.last.row);
  if (from.first.col < cut.first.col)
    out.push_back({{top, from.first.col}, {bottom, cut.first.col - 1}});
  if (from.last.col > cut.last.col)
    out.push_back({{top, cut.last.col + 1}, {bottom, from.last.col}});
  return out;
}

std::string QuotedSheetRef(std::string_view sheetName) {
  std::string s = "'";
  for (char c : sheetName) {
    if (c == '\'') s += '\'';
    s += c;
  }
  return s + "'!";
}

}  // namespace velmor::workbook
