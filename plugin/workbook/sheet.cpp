#include "workbook/sheet.h"

#include <algorithm>

#include "workbook/workbook_error.h"

namespace velmor::workbook {
namespace {

void CheckPos(uint32_t row, uint32_t col) {
  if (!IsValidPos({row, col}))
    throw WorkbookError::InvalidArgument("单元格位置超出范围：第" + std::to_string(uint64_t{row} + 1) + "行第" +
                                         std::to_string(uint64_t{col} + 1) + "列");
}

auto ColumnLess = [](const std::pair<uint32_t, Cell>& e, uint32_t col) { return e.first < col; };

}  // namespace

uint32_t Sheet::RowCount() const { return rows_.empty() ? 0 : rows_.rbegin()->first + 1; }

uint32_t Sheet::ColumnCount() const {
  uint32_t n = 0;
  for (const auto& [r, cells] : rows_) n = std::max(n, cells.back().first + 1);
  return n;
}

const Cell* Sheet::FindCell(uint32_t row, uint32_t col) const {
  auto it = rows_.find(row);
  if (it == rows_.end()) return nullptr;
  auto c = std::lower_bound(it->second.begin(), it->second.end(), col, ColumnLess);
  return c != it->second.end() && c->first == col ? &c->second : nullptr;
}

std::string Sheet::CellText(uint32_t row, uint32_t col) const {
  const Cell* c = FindCell(row, col);
  return c ? c->text : std::string();
}

std::vector<std::string> Sheet::RowText(uint32_t row) const {
  auto it = rows_.find(row);
  if (it == rows_.end()) return {};
  return RowText(row, it->second.back().first + 1);
}

std::vector<std::string> Sheet::RowText(uint32_t row, uint32_t columns) const {
  std::vector<std::string> out(columns);
  auto it = rows_.find(row);
  if (it == rows_.end()) return out;
  for (const auto& [c, cell] : it->second) {
    if (c >= columns) break;
    out[c] = cell.text;
  }
  return out;
}

std::vector<std::vector<std::string>> Sheet::RowsText() const {
  std::vector<std::vector<std::string>> out(RowCount());
  for (const auto& [r, cells] : rows_) out[r] = RowText(r);
  return out;
}

void Sheet::RequireNotEmpty() const {
  if (IsEmpty()) throw WorkbookError::EmptySheet(name_);
}

void Sheet::SetCell(uint32_t row, uint32_t col, Cell cell) {
  CheckPos(row, col);
  if (cell.empty()) {
    auto it = rows_.find(row);
    if (it == rows_.end()) return;
    auto c = std::lower_bound(it->second.begin(), it->second.end(), col, ColumnLess);
    if (c != it->second.end() && c->first == col) it->second.erase(c);
    if (it->second.empty()) rows_.erase(it);
    return;
  }
  Row& cells = rows_[row];
  // Cells mostly arrive left to right: append without a search then.
  if (cells.empty() || cells.back().first < col) {
    cells.emplace_back(col, std::move(cell));
    return;
  }
  auto c = std::lower_bound(cells.begin(), cells.end(), col, ColumnLess);
  if (c != cells.end() && c->first == col) c->second = std::move(cell);
  else cells.emplace(c, col, std::move(cell));
}

void Sheet::SetRow(uint32_t row, const std::vector<std::string>& texts) {
  std::vector<Cell> cells;
  cells.reserve(texts.size());
  for (const auto& t : texts) cells.push_back(Cell::Text(t));
  SetRowCells(row, std::move(cells));
}

void Sheet::SetRowCells(uint32_t row, std::vector<Cell> cells) {
  if (cells.size() > kMaxColumns) CheckPos(row, static_cast<uint32_t>(kMaxColumns));
  CheckPos(row, 0);
  rows_.erase(row);
  for (size_t c = 0; c < cells.size(); ++c) SetCell(row, static_cast<uint32_t>(c), std::move(cells[c]));
}

uint32_t Sheet::AppendRow(const std::vector<std::string>& texts) {
  uint32_t row = RowCount();
  SetRow(row, texts);
  return row;
}

uint32_t Sheet::AppendRowCells(std::vector<Cell> cells) {
  uint32_t row = RowCount();
  SetRowCells(row, std::move(cells));
  return row;
}

void Sheet::SetHeader(const std::vector<std::string>& captions) {
  std::vector<Cell> cells;
  for (const auto& t : captions) {
    cells.push_back(Cell::Text(t));
    cells.back().bold = !cells.back().empty();
  }
  SetRowCells(0, std::move(cells));
  frozenRows_ = std::max<uint32_t>(frozenRows_, 1);
}

void Sheet::ClearColumn(uint32_t col, uint32_t fromRow) {
  for (auto it = rows_.lower_bound(fromRow); it != rows_.end();) {
    auto& cells = it->second;
    auto c = std::lower_bound(cells.begin(), cells.end(), col, ColumnLess);
    if (c != cells.end() && c->first == col) cells.erase(c);
    it = cells.empty() ? rows_.erase(it) : std::next(it);
  }
}

void Sheet::SetColumnWidth(uint32_t col, double width) {
  CheckPos(0, col);
  if (width > 0) widths_[col] = std::min(width, 255.0);
  else widths_.erase(col);
}

void Sheet::AddMerge(const CellRange& range) {
  if (!IsValidRange(range) || range.first == range.last)
    throw WorkbookError::InvalidArgument("合并区域无效：" + (IsValidRange(range) ? RangeText(range) : std::string("超出范围")));
  for (const auto& m : merges_)
    if (m.Intersects(range)) throw WorkbookError::InvalidArgument("合并区域无效：" + RangeText(range));
  merges_.push_back(range);
}

void Sheet::AddListValidation(const std::vector<CellRange>& targets, std::string formula) {
  if (targets.empty()) throw WorkbookError::InvalidArgument("数据有效性区域无效：未指定单元格");
  for (const auto& t : targets)
    if (!IsValidRange(t)) throw WorkbookError::InvalidArgument("数据有效性区域无效：超出范围");
  if (!formula.empty() && formula[0] == '=') formula.erase(0, 1);
  if (formula.empty()) throw WorkbookError::InvalidArgument("数据有效性区域无效：来源为空");
  // Overlapping validations make office programs repair the file: the new list wins.
  for (const auto& t : targets) RemoveValidations(t);
  validations_.push_back({targets, std::move(formula)});
}

void Sheet::RemoveValidations(const CellRange& range) {
  for (auto& v : validations_) {
    std::vector<CellRange> kept;
    for (const auto& r : v.ranges) {
      auto parts = SubtractRange(r, range);
      kept.insert(kept.end(), parts.begin(), parts.end());
    }
    v.ranges = std::move(kept);
  }
  std::erase_if(validations_, [](const ListValidation& v) { return v.ranges.empty(); });
}

}  // namespace velmor::workbook
