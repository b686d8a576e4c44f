#include "workbook/xls_util.h"

#include <algorithm>

#include "framework/registry.h"
#include "velmor/platform.h"
#include "workbook/collation.h"

namespace velmor::workbook {
namespace {

// Exception lines begin with "[" and go to the debugger's wide-text operation, like every other
// bracketed log line of the plug-in; nothing is logged without an active debugger.
void LogException(const std::string& operation, const std::string& message) {
  if (!IsServiceFactoryAvailable()) return;
  Ref<IDebugger> debugger = GetDebugger();
  if (!debugger || !debugger->IsActive()) return;
  debugger->WriteWideText(platform::Utf8ToUtf16("[" + operation + "]异常：" + message), u"", 0);
}

}  // namespace

bool TXlsUtil::addDropdown(Workbook& book, const std::string& targetSheet, const CellRange& target,
                           const std::string& listSheet, uint32_t listColumn, std::vector<std::string> items,
                           bool sorted, uint32_t listFirstRow, std::string* errorText) {
  try {
    std::erase(items, std::string());
    if (sorted) SortChineseUnique(items);
    // Everything is checked before the workbook changes, so a refusal leaves it as it was.
    Sheet& dest = book.SheetByName(targetSheet);
    if (!IsValidRange(target)) throw WorkbookError::InvalidArgument("下拉列表的目标区域无效");
    if (!IsValidPos({listFirstRow, listColumn}) ||
        (!items.empty() && uint64_t{listFirstRow} + items.size() > kMaxRows))
      throw WorkbookError::InvalidArgument("下拉列表项超出工作表范围");
    Sheet* list = book.FindSheet(listSheet);
    if (!list) {
      std::string problem = Workbook::SheetNameProblem(listSheet);
      if (!problem.empty()) throw WorkbookError::InvalidArgument("工作表名称无效：" + listSheet);
      list = &book.AddSheet(listSheet);
      list->SetHidden(true);
    }
    list->ClearColumn(listColumn, listFirstRow);
    if (items.empty()) {
      dest.RemoveValidations(target);
      return true;
    }
    for (size_t i = 0; i < items.size(); ++i)
      list->SetText(listFirstRow + static_cast<uint32_t>(i), listColumn, std::move(items[i]));
    CellRange source = CellRange::Column(listColumn, listFirstRow, listFirstRow + static_cast<uint32_t>(items.size()) - 1);
    dest.AddListValidation({target}, QuotedSheetRef(list->name()) + RangeText(source, true));
    return true;
  } catch (const std::exception& e) {
    LogException("TXlsUtil.addDropdown", e.what());
    if (errorText) *errorText = e.what();
    return false;
  }
}

}  // namespace velmor::workbook
