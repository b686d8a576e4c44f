// Cell positions and ranges in A1 notation ("B3", "A2:C10", "$A$1"), zero-based inside the engine.
// The limits are those of an XLSX sheet: 1,048,576 rows and 16,384 columns.
//
// Plain values; no shared state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmor::workbook {

inline constexpr uint32_t kMaxRows = 1048576;
inline constexpr uint32_t kMaxColumns = 16384;

struct CellPos {
  uint32_t row = 0;
  uint32_t col = 0;
  bool operator==(const CellPos&) const = default;
};

// An inclusive rectangle of cells; first <= last in both directions.
struct CellRange {
  CellPos first;
  CellPos last;

  static CellRange Cell(uint32_t row, uint32_t col) { return {{row, col}, {row, col}}; }
  // The rows firstRow..lastRow of one column.
  static CellRange Column(uint32_t col, uint32_t firstRow, uint32_t lastRow) {
    return {{firstRow, col}, {lastRow, col}};
  }
  bool Contains(CellPos p) const {
    return p.row >= first.row && p.row <= last.row && p.col >= first.col && p.col <= last.col;
  }
  bool Intersects(const CellRange& o) const {
    return first.row <= o.last.row && o.first.row <= last.row && first.col <= o.last.col &&
           o.first.col <= last.col;
  }
  bool operator==(const CellRange&) const = default;
};

// True when the position lies inside the sheet limits.
bool IsValidPos(CellPos p);
bool IsValidRange(const CellRange& r);

// "A" -> 0, "XFD" -> 16383; nullopt when not 1-3 letters or beyond the limit.
std::optional<uint32_t> ParseColumnName(std::string_view letters);
std::string ColumnName(uint32_t col);

// "B3" or "$B$3" -> {2, 1}; nullopt when malformed or outside the sheet.
std::optional<CellPos> ParseCellRef(std::string_view ref);
// "B3" (or "$B$3" when absolute).
std::string CellRefText(CellPos p, bool absolute = false);

// "A1:C3" or a single cell "B2"; corners are put in order. nullopt when malformed.
std::optional<CellRange> ParseRange(std::string_view text);
std::string RangeText(const CellRange& r, bool absolute = false);

// A space-separated list of ranges (the sqref of a data validation); nullopt when any is malformed.
std::optional<std::vector<CellRange>> ParseRangeList(std::string_view text);

// The parts of `from` that lie outside `cut` (up to four rectangles).
std::vector<CellRange> SubtractRange(const CellRange& from, const CellRange& cut);

// A sheet name as it appears in a formula: quoted with doubled apostrophes ("'下拉'!").
std::string QuotedSheetRef(std::string_view sheetName);

}  // namespace velmor::workbook
