// TXlsUtil: helpers that the import and export services use on template workbooks. addDropdown
// puts a list of choices into a column of a helper sheet and makes that range the dropdown list
// of target cells.
//
// Static functions; they touch only the workbook passed in (one thread at a time per workbook).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbook/workbook.h"

namespace velmor::workbook {

class TXlsUtil {
 public:
  // Writes `items` one per row into column `listColumn` of sheet `listSheet` (from row
  // `listFirstRow` down; the rest of that column is cleared) and makes that range the
  // data-validation list of `target` on sheet `targetSheet`. With `sorted` the items are put in
  // the order of collation.h and duplicates dropped; empty items are skipped. A missing list
  // sheet is added, hidden. An empty list clears the column and takes the dropdown off `target`.
  // Returns true. On failure (missing target sheet, bad range) logs "[TXlsUtil.addDropdown]异常："
  // and the message to the host debugger, stores the message in *errorText when given, leaves
  // the workbook as it was and returns false.
  static bool addDropdown(Workbook& book, const std::string& targetSheet, const CellRange& target,
                          const std::string& listSheet, uint32_t listColumn, std::vector<std::string> items,
                          bool sorted, uint32_t listFirstRow = 0, std::string* errorText = nullptr);
};

}  // namespace velmor::workbook
