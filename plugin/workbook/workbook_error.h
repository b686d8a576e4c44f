// WorkbookError: the one exception type of the workbook engine. Every failure to open, read or
// save a workbook raises it with a user message in Chinese (UTF-8) and a code that callers can
// test without parsing the text. The messages are listed in docs/workbook.md.
//
// Immutable once built; safe to copy and to hand between threads.
#pragma once

#include <string>

#include "velmor/exceptions.h"

namespace velmor::workbook {

enum class WorkbookErrorCode {
  kFileNotFound,   // "文件不存在：" + path
  kCannotOpen,     // "文件无法打开：" + path (no permission, locked)
  kNotAWorkbook,   // "不是有效的Excel文件：" + path
  kEncrypted,      // "文件已加密，无法读取：" + path
  kDamaged,        // "文件已损坏，无法读取：" + path + "（" + detail + "）"
  kNoSheet,        // "工作簿中没有工作表：" + path
  kEmptySheet,     // "工作表为空：" + sheet name
  kSheetNotFound,  // "工作表不存在：" + sheet name
  kInvalidArgument,  // bad sheet name, cell outside the sheet, text too long (message says which)
  kSaveFailed,     // "保存文件失败：" + path + "（" + detail + "）"
};

class VELMOR_API WorkbookError : public Exception {
 public:
  WorkbookError(WorkbookErrorCode code, const std::string& message) : Exception(message), code_(code) {}
  const char* ClassName() const noexcept override { return "EWorkbookError"; }
  WorkbookErrorCode code() const noexcept { return code_; }

  static WorkbookError FileNotFound(const std::string& path);
  static WorkbookError CannotOpen(const std::string& path);
  static WorkbookError NotAWorkbook(const std::string& path);
  static WorkbookError Encrypted(const std::string& path);
  static WorkbookError Damaged(const std::string& path, const std::string& detail);
  static WorkbookError NoSheet(const std::string& path);
  static WorkbookError EmptySheet(const std::string& sheetName);
  static WorkbookError SheetNotFound(const std::string& sheetName);
  static WorkbookError InvalidArgument(const std::string& message);
  static WorkbookError SaveFailed(const std::string& path, const std::string& detail);

 private:
  WorkbookErrorCode code_;
};

}  // namespace velmor::workbook
