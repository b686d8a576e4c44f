// The XLS reader (freexl), and the recognition of encrypted XLSX packages, which office programs
// store as OLE compound files too.
#include <freexl.h>

#include <cstdio>
#include <string_view>

#include "workbook/date_serial.h"
#include "workbook/readers.h"

namespace velmor::workbook {
namespace {

class XlsHandle {
 public:
  XlsHandle() = default;
  XlsHandle(const XlsHandle&) = delete;
  XlsHandle& operator=(const XlsHandle&) = delete;
  ~XlsHandle() {
    if (h_) freexl_close(h_);
  }
  const void** out() { return &h_; }
  const void* get() const { return h_; }

 private:
  const void* h_ = nullptr;
};

// An encrypted XLSX package is a compound file holding an "EncryptedPackage" stream; its
// directory entry spells the name in UTF-16LE. Only called when freexl found no workbook in the
// file, so text inside a real workbook cannot be mistaken for it.
bool HoldsEncryptedPackage(const std::string& path) {
  static const std::string_view kName = "EncryptedPackage";
  std::string pattern;
  for (char c : kName) { pattern += c; pattern += '\0'; }
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string window;
  char buf[1 << 16];
  bool found = false;
  size_t n;
  while (!found && (n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    window.append(buf, n);
    found = window.find(pattern) != std::string::npos;
    if (window.size() > pattern.size()) window.erase(0, window.size() - pattern.size());
  }
  std::fclose(f);
  return found;
}

Cell DateCell(const char* text, const char* format) {
  auto serial = ParseIsoDateTime(text);
  return serial ? Cell::DateSerial(*serial, format) : Cell::Text(text ? text : "");
}

}  // namespace

void ReadCompoundFile(const std::string& path, const ReadLimits& limits, Workbook& out) {
  XlsHandle xls;
  int rc = freexl_open(path.c_str(), xls.out());
  if (rc != FREEXL_OK) {
    if (HoldsEncryptedPackage(path)) throw WorkbookError::Encrypted(path);
    if (rc == FREEXL_BIFF_WORKBOOK_NOT_FOUND) throw WorkbookError::NotAWorkbook(path);  // a .doc, an .msg
    if (rc == FREEXL_FILE_NOT_FOUND) throw WorkbookError::CannotOpen(path);
    if (rc == FREEXL_INSUFFICIENT_MEMORY) throw WorkbookError::Damaged(path, "内存不足");
    throw WorkbookError::Damaged(path, "XLS结构错误（代码" + std::to_string(rc) + "）");
  }
  // freexl answers a password-protected workbook with success and no handle.
  if (!xls.get()) throw WorkbookError::Encrypted(path);
  unsigned int info = 0;
  if (freexl_get_info(xls.get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
    throw WorkbookError::Encrypted(path);
  unsigned int sheets = 0;
  if (freexl_get_info(xls.get(), FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK)
    throw WorkbookError::Damaged(path, "无法读取工作表数量");
  uint64_t cells = 0;
  if (sheets > 0xFFFF) throw WorkbookError::Damaged(path, "工作表数量无效");
  for (unsigned int n = 0; n < sheets; ++n) {
    auto i = static_cast<unsigned short>(n);
    const char* name = nullptr;
    if (freexl_get_worksheet_name(xls.get(), i, &name) != FREEXL_OK || freexl_select_active_worksheet(xls.get(), i) != FREEXL_OK)
      throw WorkbookError::Damaged(path, "无法读取第" + std::to_string(i + 1) + "个工作表");
    Sheet& sheet = out.AddSheet(out.UsableSheetName(name ? name : ""));
    unsigned int rows = 0;
    unsigned short cols = 0;
    if (freexl_worksheet_dimensions(xls.get(), &rows, &cols) != FREEXL_OK)
      throw WorkbookError::Damaged(path, "无法读取工作表" + sheet.name() + "的大小");
    if (rows > kMaxRows) rows = kMaxRows;
    for (unsigned int r = 0; r < rows; ++r) {
      for (unsigned short c = 0; c < cols && c < kMaxColumns; ++c) {
        FreeXL_CellValue v;
        if (freexl_get_cell_value(xls.get(), r, c, &v) != FREEXL_OK)
          throw WorkbookError::Damaged(path, "无法读取单元格" + CellRefText({r, c}));
        Cell cell;
        switch (v.type) {
          case FREEXL_CELL_INT: cell = Cell::Number(v.value.int_value); break;
          case FREEXL_CELL_DOUBLE: cell = Cell::Number(v.value.double_value); break;
          case FREEXL_CELL_TEXT:
          case FREEXL_CELL_SST_TEXT: cell = Cell::Text(v.value.text_value ? v.value.text_value : ""); break;
          case FREEXL_CELL_DATE: cell = DateCell(v.value.text_value, "yyyy-mm-dd"); break;
          case FREEXL_CELL_DATETIME: cell = DateCell(v.value.text_value, "yyyy-mm-dd hh:mm:ss"); break;
          case FREEXL_CELL_TIME: cell = DateCell(v.value.text_value, "hh:mm:ss"); break;
          default: continue;
        }
        if (cell.empty()) continue;
        if (++cells > limits.maxCells)
          throw WorkbookError::Damaged(path, "单元格数量超过" + std::to_string(limits.maxCells) + "上限");
        sheet.SetCell(r, c, std::move(cell));
      }
    }
  }
  if (out.SheetCount() == 0) throw WorkbookError::NoSheet(path);
  out.SetSource(WorkbookFormat::kXls, path);
}

}  // namespace velmor::workbook
