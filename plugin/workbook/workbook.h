// Workbook: the spreadsheet workbook engine of the plug-in. Opens XLSX (libzip + pugixml) and XLS
// (freexl) files by path, whatever their extension says; lists sheets and reads their cells as the
// text a user sees; builds or fills workbooks and saves them as XLSX (libxlsxwriter).
//
// Filling a template means: Open the template, change its sheets, Save under a new name. What a
// template keeps is listed in docs/workbook.md (cell values and number formats, column widths,
// merged ranges, dropdown lists and hidden sheets of XLSX templates; fonts, borders, fills, row
// heights, formulas and pictures are not carried over).
//
// Every failure raises WorkbookError with a Chinese message. A Workbook owns its sheets; it is
// movable, not copyable, and used by one thread at a time.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/part_source.h"
#include "workbook/sheet.h"
#include "workbook/workbook_error.h"

namespace velmor::workbook {

enum class WorkbookFormat { kNew, kXlsx, kXls };

class Workbook {
 public:
  // A new workbook without sheets.
  Workbook() = default;
  Workbook(Workbook&&) noexcept = default;
  Workbook& operator=(Workbook&&) noexcept = default;
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;

  // Opens an XLSX or XLS file, recognised by its content. Throws WorkbookError: kFileNotFound,
  // kNotAWorkbook, kEncrypted, kDamaged, kNoSheet (no worksheet at all).
  static Workbook Open(const std::string& path, const ReadLimits& limits = {});
  // Reads XLSX bytes held in memory; `displayPath` names the data in messages.
  static Workbook OpenXlsxMemory(std::string_view bytes, const std::string& displayPath,
                                 const ReadLimits& limits = {});
  // Reads XLSX parts from any source (tests, the fuzz target).
  static Workbook ReadXlsxParts(PartSource& parts, const std::string& displayPath, const ReadLimits& limits = {});

  // Saves as XLSX. The file is written beside the target under a temporary name and renamed, so
  // a failed save leaves no partial file and an existing target untouched. Throws WorkbookError
  // kSaveFailed. A workbook without sheets is saved with one empty sheet "Sheet1".
  void Save(const std::string& path) const;

  WorkbookFormat sourceFormat() const { return format_; }
  // The path the workbook was opened from; empty for a new one.
  const std::string& sourcePath() const { return path_; }

  size_t SheetCount() const { return sheets_.size(); }
  std::vector<std::string> SheetNames() const;
  // Throws WorkbookError kSheetNotFound ("工作表不存在：第n个") for an index out of range.
  Sheet& sheet(size_t index);
  const Sheet& sheet(size_t index) const;
  // Sheet names are compared without regard to ASCII case, as office programs do; null when absent.
  Sheet* FindSheet(std::string_view name);
  const Sheet* FindSheet(std::string_view name) const;
  // Throws WorkbookError kSheetNotFound ("工作表不存在：" + name).
  Sheet& SheetByName(std::string_view name);
  // The first sheet; throws kNoSheet when there is none.
  Sheet& FirstSheet();
  const Sheet& FirstSheet() const;

  // Adds a sheet at the end. Throws WorkbookError kInvalidArgument with "工作表名称无效：" + name
  // (empty, longer than 31 characters, one of []:*?/\, or an apostrophe at either end) or
  // "工作表名称重复：" + name.
  Sheet& AddSheet(const std::string& name);
  Sheet& GetOrAddSheet(const std::string& name);

  // Why a sheet name is refused, or empty when it is acceptable.
  static std::string SheetNameProblem(std::string_view name);
  // `wanted` made acceptable (bad characters replaced by "_", cut to 31 characters) and unique
  // in this workbook (" (2)", " (3)"... appended). Readers use it for damaged or foreign names.
  std::string UsableSheetName(std::string_view wanted) const;

  // Set by the readers.
  void SetSource(WorkbookFormat format, std::string path) {
    format_ = format;
    path_ = std::move(path);
  }

 private:
  WorkbookFormat format_ = WorkbookFormat::kNew;
  std::string path_;
  std::vector<std::unique_ptr<Sheet>> sheets_;
};

// The rows of the first sheet of a file as text (what imports read). Throws as Workbook::Open,
// and kEmptySheet when the first sheet holds no value.
std::vector<std::vector<std::string>> ReadFirstSheetRows(const std::string& path);

}  // namespace velmor::workbook
