// Sheet: one worksheet of a Workbook: a sparse grid of cells, read row by row as text, plus the
// layout the writer carries (column widths, frozen header rows, merged ranges, dropdown lists).
//
// Rows and columns are zero-based. A sheet is owned by its Workbook; references to it stay valid
// until the workbook dies (sheets are never removed). Not thread-safe: one thread at a time.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "workbook/cell.h"
#include "workbook/cell_ref.h"

namespace velmor::workbook {

// A data-validation list: the cells of `ranges` accept the values `formula` names, a range
// ("'下拉'!$A$1:$A$5") or a literal list ("\"是,否\""); the formula has no leading "=".
struct ListValidation {
  std::vector<CellRange> ranges;
  std::string formula;
};

class Sheet {
 public:
  explicit Sheet(std::string name) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }
  bool hidden() const { return hidden_; }
  void SetHidden(bool hidden) { hidden_ = hidden; }

  // ---- Reading -------------------------------------------------------------------------------
  bool IsEmpty() const { return rows_.empty(); }
  // One past the last row that holds a non-empty cell (trailing empty rows do not count).
  uint32_t RowCount() const;
  // One past the last column that holds a non-empty cell, over all rows.
  uint32_t ColumnCount() const;
  // The cell, or null when it is empty.
  const Cell* FindCell(uint32_t row, uint32_t col) const;
  // The shown text of a cell; empty for an empty cell.
  std::string CellText(uint32_t row, uint32_t col) const;
  // The texts of a row from column 0 to its last non-empty cell; empty cells in between are "".
  std::vector<std::string> RowText(uint32_t row) const;
  // The texts of columns 0..columns-1 of a row, padded with "" or cut to exactly that many.
  std::vector<std::string> RowText(uint32_t row, uint32_t columns) const;
  // RowText of every row 0..RowCount()-1 (empty rows in between are empty vectors).
  std::vector<std::vector<std::string>> RowsText() const;
  // Throws WorkbookError kEmptySheet ("工作表为空：" + name) when the sheet has no value.
  void RequireNotEmpty() const;

  // ---- Writing -------------------------------------------------------------------------------
  // Sets a cell; an empty cell clears it. Throws WorkbookError kInvalidArgument
  // ("单元格位置超出范围：第r行第c列", one-based) outside the sheet limits.
  void SetCell(uint32_t row, uint32_t col, Cell cell);
  void SetText(uint32_t row, uint32_t col, std::string text) { SetCell(row, col, Cell::Text(std::move(text))); }
  void SetNumber(uint32_t row, uint32_t col, double value, std::string format = {}) {
    SetCell(row, col, Cell::Number(value, std::move(format)));
  }
  // Replaces a whole row: columns 0..n-1 from the values, the rest of the row cleared.
  void SetRow(uint32_t row, const std::vector<std::string>& texts);
  void SetRowCells(uint32_t row, std::vector<Cell> cells);
  // Writes the values into the row after the last non-empty one and returns its index.
  uint32_t AppendRow(const std::vector<std::string>& texts);
  uint32_t AppendRowCells(std::vector<Cell> cells);
  // Row 0 becomes the captions, in bold, and stays in view when scrolling.
  void SetHeader(const std::vector<std::string>& captions);
  // Clears the cells of one column from fromRow down.
  void ClearColumn(uint32_t col, uint32_t fromRow = 0);

  // ---- Layout --------------------------------------------------------------------------------
  // Width in characters of the default font; 0 or less returns the column to the default.
  void SetColumnWidth(uint32_t col, double width);
  const std::map<uint32_t, double>& columnWidths() const { return widths_; }
  // Rows kept in view at the top (the header rows).
  void SetFrozenRows(uint32_t rows) { frozenRows_ = rows; }
  uint32_t frozenRows() const { return frozenRows_; }
  // Merges a range; throws WorkbookError kInvalidArgument ("合并区域无效：A1:B2") when it is
  // a single cell, outside the sheet or overlaps an earlier merge.
  void AddMerge(const CellRange& range);
  const std::vector<CellRange>& merges() const { return merges_; }
  // Adds a dropdown list on the target ranges; earlier validations lose the cells it covers.
  // Throws WorkbookError kInvalidArgument ("数据有效性区域无效：...") for ranges outside the sheet
  // or an empty formula.
  void AddListValidation(const std::vector<CellRange>& targets, std::string formula);
  // Takes every dropdown list off the cells of `range`.
  void RemoveValidations(const CellRange& range);
  const std::vector<ListValidation>& validations() const { return validations_; }

  // Calls f(row, col, cell) for every non-empty cell, row by row, left to right.
  template <class F>
  void ForEachCell(F&& f) const {
    for (const auto& [r, cells] : rows_)
      for (const auto& [c, cell] : cells) f(r, c, cell);
  }

 private:
  using Row = std::vector<std::pair<uint32_t, Cell>>;  // sorted by column

  std::string name_;
  bool hidden_ = false;
  std::map<uint32_t, Row> rows_;  // only rows holding at least one non-empty cell
  std::map<uint32_t, double> widths_;
  uint32_t frozenRows_ = 0;
  std::vector<CellRange> merges_;
  std::vector<ListValidation> validations_;
};

}  // namespace velmor::workbook
