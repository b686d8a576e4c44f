// The XLSX writer (libxlsxwriter): cells with number formats, bold header rows, column widths,
// merged ranges, dropdown lists, frozen rows and hidden sheets.
#include <xlsxwriter.h>

#include <map>
#include <utility>

#include "velmor/platform.h"
#include "velmor/utf8.h"
#include "workbook/readers.h"

namespace velmor::workbook {
namespace {

constexpr size_t kMaxCellChars = 32767;

// libxlsxwriter copies what it is given; text that is not valid UTF-8 would make the package
// unreadable, so invalid sequences become U+FFFD first.
std::string Clean(std::string_view s) {
  std::string out = IsWellFormedUtf8(s) ? std::string(s) : platform::Utf16ToUtf8(platform::Utf8ToUtf16(s));
  // A NUL would end the C string early; the XML writer escapes the other control characters.
  std::erase(out, '\0');
  return out;
}

size_t CharCount(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

class Writer {
 public:
  Writer(const Workbook& book, const std::string& path, const std::string& displayPath)
      : book_(book), path_(path), display_(displayPath) {}
  ~Writer() {
    if (wb_) lxw_workbook_free(wb_);
  }

  void Run();

 private:
  [[noreturn]] void Fail(const std::string& detail) { throw WorkbookError::SaveFailed(display_, detail); }
  void Check(lxw_error e, const std::string& what) {
    if (e != LXW_NO_ERROR) Fail(what + "：" + lxw_strerror(e));
  }
  lxw_format* FormatFor(const Cell& cell);
  void WriteSheet(const Sheet& sheet, lxw_worksheet* ws);

  const Workbook& book_;
  const std::string& path_;
  const std::string& display_;
  lxw_workbook* wb_ = nullptr;
  std::map<std::pair<std::string, bool>, lxw_format*> formats_;
};

lxw_format* Writer::FormatFor(const Cell& cell) {
  bool numeric = cell.kind == CellKind::kNumber || cell.kind == CellKind::kDate;
  std::string code = numeric ? cell.format : std::string();
  if (code.empty() && !cell.bold) return nullptr;
  auto key = std::make_pair(code, cell.bold);
  auto it = formats_.find(key);
  if (it != formats_.end()) return it->second;
  lxw_format* f = workbook_add_format(wb_);
  if (!f) Fail("内存不足");
  if (!code.empty()) format_set_num_format(f, Clean(code).c_str());
  if (cell.bold) format_set_bold(f);
  formats_[key] = f;
  return f;
}

void Writer::WriteSheet(const Sheet& sheet, lxw_worksheet* ws) {
  for (const auto& [col, width] : sheet.columnWidths())
    Check(worksheet_set_column(ws, static_cast<lxw_col_t>(col), static_cast<lxw_col_t>(col), width, nullptr), "设置列宽失败");
  for (const auto& m : sheet.merges())
    Check(worksheet_merge_range(ws, m.first.row, static_cast<lxw_col_t>(m.first.col), m.last.row,
                                static_cast<lxw_col_t>(m.last.col), "", nullptr),
          "合并单元格" + RangeText(m) + "失败");
  std::string error;
  sheet.ForEachCell([&](uint32_t row, uint32_t col, const Cell& cell) {
    if (!error.empty()) return;
    auto c = static_cast<lxw_col_t>(col);
    lxw_format* f = FormatFor(cell);
    lxw_error e = LXW_NO_ERROR;
    switch (cell.kind) {
      case CellKind::kNumber:
      case CellKind::kDate: e = worksheet_write_number(ws, row, c, cell.number, f); break;
      case CellKind::kBoolean: e = worksheet_write_boolean(ws, row, c, cell.number != 0, f); break;
      case CellKind::kText:
      case CellKind::kError: {
        std::string text = Clean(cell.text);
        if (CharCount(text) > kMaxCellChars) {
          error = "单元格" + CellRefText({row, col}) + "的文本超过32767个字符";
          return;
        }
        e = worksheet_write_string(ws, row, c, text.c_str(), f);
        break;
      }
      case CellKind::kEmpty: break;
    }
    if (e != LXW_NO_ERROR) error = "写入单元格" + CellRefText({row, col}) + "失败：" + lxw_strerror(e);
  });
  if (!error.empty()) Fail(error);

  for (const auto& v : sheet.validations()) {
    std::string formula = "=" + Clean(v.formula);
    for (const auto& r : v.ranges) {
      lxw_data_validation dv{};
      dv.validate = LXW_VALIDATION_TYPE_LIST_FORMULA;
      dv.value_formula = formula.data();
      std::string title = "输入值无效", message = "请从下拉列表中选择。";
      dv.error_title = title.data();
      dv.error_message = message.data();
      Check(worksheet_data_validation_range(ws, r.first.row, static_cast<lxw_col_t>(r.first.col), r.last.row,
                                            static_cast<lxw_col_t>(r.last.col), &dv),
            "设置" + RangeText(r) + "的下拉列表失败");
    }
  }
  if (sheet.frozenRows() > 0) worksheet_freeze_panes(ws, sheet.frozenRows(), 0);
}

void Writer::Run() {
  lxw_workbook_options options{};
  options.use_zip64 = LXW_FALSE;
  wb_ = workbook_new_opt(path_.c_str(), &options);
  if (!wb_) Fail("内存不足");
  std::vector<std::pair<const Sheet*, lxw_worksheet*>> sheets;
  for (size_t i = 0; i < book_.SheetCount(); ++i) {
    const Sheet& s = book_.sheet(i);
    lxw_worksheet* ws = workbook_add_worksheet(wb_, s.name().c_str());
    if (!ws) Fail("工作表名称无效：" + s.name());
    sheets.emplace_back(&s, ws);
  }
  if (sheets.empty() && !workbook_add_worksheet(wb_, nullptr)) Fail("内存不足");
  for (const auto& [s, ws] : sheets) WriteSheet(*s, ws);

  // The first visible sheet is the one shown; a workbook must keep one sheet visible.
  const std::pair<const Sheet*, lxw_worksheet*>* shown = nullptr;
  for (const auto& entry : sheets)
    if (!entry.first->hidden()) { shown = &entry; break; }
  if (!sheets.empty()) {
    if (!shown) shown = &sheets.front();
    worksheet_activate(shown->second);
    worksheet_set_first_sheet(shown->second);
    for (const auto& entry : sheets)
      if (&entry != shown && entry.first->hidden()) worksheet_hide(entry.second);
  }
  lxw_error e = workbook_close(wb_);
  wb_ = nullptr;  // freed by workbook_close whatever the outcome
  if (e == LXW_ERROR_CREATING_XLSX_FILE) Fail("无法创建文件");
  if (e != LXW_NO_ERROR) Fail(lxw_strerror(e));
}

}  // namespace

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMOR_WORKBOOK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(VELMOR_WORKBOOK_ASAN)
// libxlsxwriter 1.1.4 loses its copy of the formula of every list validation (some twenty bytes
// a dropdown) when the workbook is freed. Sanitizer builds would report it in every test that
// writes a dropdown; the library's own allocations are excluded, the engine's are not.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:lxw_strdup\n";
}
#endif

void WriteXlsx(const Workbook& book, const std::string& path, const std::string& displayPath) {
  Writer(book, path, displayPath).Run();
}

}  // namespace velmor::workbook
