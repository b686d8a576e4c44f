#include "workbook/workbook_error.h"

namespace velmor::workbook {

using Code = WorkbookErrorCode;

WorkbookError WorkbookError::FileNotFound(const std::string& path) {
  return {Code::kFileNotFound, "文件不存在：" + path};
}

WorkbookError WorkbookError::CannotOpen(const std::string& path) {
  return {Code::kCannotOpen, "文件无法打开：" + path};
}

WorkbookError WorkbookError::NotAWorkbook(const std::string& path) {
  return {Code::kNotAWorkbook, "不是有效的Excel文件：" + path};
}

WorkbookError WorkbookError::Encrypted(const std::string& path) {
  return {Code::kEncrypted, "文件已加密，无法读取：" + path};
}

WorkbookError WorkbookError::Damaged(const std::string& path, const std::string& detail) {
  return {Code::kDamaged, "文件已损坏，无法读取：" + path + "（" + detail + "）"};
}

WorkbookError WorkbookError::NoSheet(const std::string& path) {
  return {Code::kNoSheet, "工作簿中没有工作表：" + path};
}

WorkbookError WorkbookError::EmptySheet(const std::string& sheetName) {
  return {Code::kEmptySheet, "工作表为空：" + sheetName};
}

WorkbookError WorkbookError::SheetNotFound(const std::string& sheetName) {
  return {Code::kSheetNotFound, "工作表不存在：" + sheetName};
}

WorkbookError WorkbookError::InvalidArgument(const std::string& message) {
  return {Code::kInvalidArgument, message};
}

WorkbookError WorkbookError::SaveFailed(const std::string& path, const std::string& detail) {
  return {Code::kSaveFailed, "保存文件失败：" + path + "（" + detail + "）"};
}

}  // namespace velmor::workbook
