// Workbooks written by the engine and read back by it; templates filled and saved anew.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"
#include "workbook/workbook.h"
#include "workbook_test_util.h"

namespace velmor::workbook {
namespace {

using velmor::testing::TempDir;
using Rows = std::vector<std::vector<std::string>>;

Workbook Sample() {
  Workbook book;
  Sheet& s = book.AddSheet("人员名单");
  s.SetHeader({"*姓名", "*证件类型", "*证件号码", "金额", "缴费日期", "备注"});
  s.SetRowCells(1, {Cell::Text("张三"), Cell::Text("居民身份证"), Cell::Text("11010519491231002X"),
                    Cell::Number(1234.5, "0.00"), Cell::Date(2024, 1, 5), Cell::Text("  前后空格  ")});
  // Empty cells in the middle of a row.
  s.SetRowCells(2, {Cell::Text("李四·阿里"), Cell(), Cell::Number(410105199001011), Cell(),
                    Cell::DateTime(2024, 2, 29, 13, 45, 30), Cell::Text("第二行")});
  // Row 3 stays empty; row 4 holds a boolean and a formatted number only.
  s.SetCell(4, 0, Cell::Text("王五"));
  s.SetCell(4, 3, Cell::Number(-12345.678, "#,##0.00"));
  s.SetCell(4, 6, Cell::Boolean(true));
  s.SetColumnWidth(0, 12);
  s.SetColumnWidth(2, 22.5);
  return book;
}

TEST(RoundTrip, TextNumbersDatesAndEmptyCellsComeBackAsShown) {
  TempDir dir;
  std::string path = dir.File("往返.xlsx");
  Sample().Save(path);
  Workbook back = Workbook::Open(path);
  EXPECT_EQ(back.sourceFormat(), WorkbookFormat::kXlsx);
  ASSERT_EQ(back.SheetNames(), std::vector<std::string>{"人员名单"});
  const Sheet& s = back.sheet(0);
  EXPECT_EQ(s.RowCount(), 5u);
  EXPECT_EQ(s.ColumnCount(), 7u);
  EXPECT_EQ(s.RowsText(), (Rows{{"*姓名", "*证件类型", "*证件号码", "金额", "缴费日期", "备注"},
                                {"张三", "居民身份证", "11010519491231002X", "1234.50", "2024-01-05", "  前后空格  "},
                                {"李四·阿里", "", "410105199001011", "", "2024-02-29 13:45:30", "第二行"},
                                {},
                                {"王五", "", "", "-12,345.68", "", "", "TRUE"}}));
  const Cell* amount = s.FindCell(1, 3);
  ASSERT_NE(amount, nullptr);
  EXPECT_EQ(amount->kind, CellKind::kNumber);
  EXPECT_EQ(amount->number, 1234.5);
  EXPECT_EQ(amount->format, "0.00");
  const Cell* date = s.FindCell(1, 4);
  ASSERT_NE(date, nullptr);
  EXPECT_EQ(date->kind, CellKind::kDate);
  EXPECT_EQ(date->number, 45296);
  EXPECT_EQ(s.FindCell(4, 6)->kind, CellKind::kBoolean);
  EXPECT_EQ(s.FindCell(2, 1), nullptr);
  EXPECT_EQ(s.RowText(2, 3), (std::vector<std::string>{"李四·阿里", "", "410105199001011"}));
  EXPECT_EQ(s.RowText(3, 2), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(s.frozenRows(), 1u);
  EXPECT_EQ(s.columnWidths().at(0), 12);
  EXPECT_NEAR(s.columnWidths().at(2), 22.5, 1.0 / 7);  // widths are kept to the pixel
}

TEST(RoundTrip, TrailingEmptyRowsAndClearedCellsDoNotCount) {
  TempDir dir;
  Workbook book;
  Sheet& s = book.AddSheet("Sheet1");
  s.SetRow(0, {"a", "b"});
  s.SetRow(1, {"c", ""});
  s.SetRow(5, {"", ""});         // only empty values: no row
  s.SetText(7, 3, "gone");
  s.SetText(7, 3, "");           // cleared again
  EXPECT_EQ(s.RowCount(), 2u);
  book.Save(dir.File("t.xlsx"));
  Workbook back = Workbook::Open(dir.File("t.xlsx"));
  EXPECT_EQ(back.sheet(0).RowsText(), (Rows{{"a", "b"}, {"c"}}));
  EXPECT_EQ(back.sheet(0).AppendRow({"d"}), 2u);
}

TEST(RoundTrip, SeveralSheetsHiddenSheetsMergesAndOddText) {
  TempDir dir;
  Workbook book;
  Sheet& a = book.AddSheet("数据");
  a.SetText(0, 0, "合并标题");
  a.AddMerge({{0, 0}, {0, 2}});
  a.SetText(1, 0, "line1\nline2\ttab");
  a.SetText(2, 0, std::string("bad\xff utf8"));
  a.SetText(3, 0, "<&>\"'");
  a.SetText(4, 0, "ctl\x01" "char");
  Sheet& h = book.AddSheet("隐藏");
  h.SetText(0, 0, "x");
  h.SetHidden(true);
  book.AddSheet("空表");
  book.Save(dir.File("m.xlsx"));
  Workbook back = Workbook::Open(dir.File("m.xlsx"));
  ASSERT_EQ(back.SheetNames(), (std::vector<std::string>{"数据", "隐藏", "空表"}));
  const Sheet& s = back.sheet(0);
  EXPECT_EQ(s.CellText(0, 0), "合并标题");
  ASSERT_EQ(s.merges().size(), 1u);
  EXPECT_EQ(RangeText(s.merges()[0]), "A1:C1");
  EXPECT_EQ(s.CellText(1, 0), "line1\nline2\ttab");
  EXPECT_EQ(s.CellText(2, 0), "bad\xEF\xBF\xBD utf8");  // replaced, not lost
  EXPECT_EQ(s.CellText(3, 0), "<&>\"'");
  EXPECT_EQ(s.CellText(4, 0), "ctl\x01" "char");
  EXPECT_FALSE(s.hidden());
  EXPECT_TRUE(back.sheet(1).hidden());
  EXPECT_TRUE(back.sheet(2).IsEmpty());
  EXPECT_WORKBOOK_ERROR(back.sheet(2).RequireNotEmpty(), WorkbookErrorCode::kEmptySheet, "工作表为空：空表");
}

TEST(RoundTrip, SaveReplacesAnExistingFileAndLeavesNoTemporaryFiles) {
  TempDir dir;
  std::string path = dir.File("out.xlsx");
  ASSERT_TRUE(velmor::testing::WriteFile(path, "old content"));
  Sample().Save(path);
  EXPECT_EQ(Workbook::Open(path).sheet(0).CellText(1, 0), "张三");
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1u);
  auto perms = std::filesystem::status(path).permissions();
  EXPECT_NE(perms & std::filesystem::perms::others_read, std::filesystem::perms::none);
}

TEST(RoundTrip, NewWorkbookWithoutSheetsSavesOneEmptySheet) {
  TempDir dir;
  Workbook().Save(dir.File("empty.xlsx"));
  Workbook back = Workbook::Open(dir.File("empty.xlsx"));
  ASSERT_EQ(back.SheetCount(), 1u);
  EXPECT_TRUE(back.FirstSheet().IsEmpty());
  EXPECT_WORKBOOK_ERROR(ReadFirstSheetRows(dir.File("empty.xlsx")), WorkbookErrorCode::kEmptySheet,
                        "工作表为空：Sheet1");
}

TEST(Template, FillingAnOfficeTemplateKeepsItsSheetsCellsAndLayout) {
  TempDir dir;
  Workbook book = Workbook::Open(testing::FixturePath("libreoffice.xlsx"));
  Sheet& s = book.FirstSheet();
  uint32_t row = s.AppendRowCells({Cell::Text("赵六"), Cell::Text("护照"), Cell::Text("P1234567"),
                                   Cell::Number(88, "0.00"), Cell::Date(2024, 3, 1)});
  EXPECT_EQ(row, 5u);
  s.SetText(row, 7, "校验不通过：证件号码请输入数字或字母");
  std::string out = dir.File("filled.xlsx");
  book.Save(out);

  Workbook back = Workbook::Open(out);
  ASSERT_EQ(back.SheetNames(), (std::vector<std::string>{"人员", "代码", "隐藏"}));
  const Sheet& b = back.sheet(0);
  EXPECT_EQ(b.RowText(1), (std::vector<std::string>{"张三", "居民身份证", "11010519491231002X", "1234.50",
                                                    "2024-01-05", "", "TRUE", "12.5%"}));
  EXPECT_EQ(b.RowText(5), (std::vector<std::string>{"赵六", "护照", "P1234567", "88.00", "2024-03-01", "", "",
                                                    "校验不通过：证件号码请输入数字或字母"}));
  EXPECT_TRUE(back.sheet(2).hidden());
  EXPECT_EQ(back.sheet(1).merges().size(), 1u);
  ASSERT_EQ(b.validations().size(), 1u);
  EXPECT_EQ(b.validations()[0].formula, "代码!$A$1:$A$3");
  EXPECT_EQ(RangeText(b.validations()[0].ranges[0]), "B2:B3");
  EXPECT_NEAR(b.columnWidths().at(0), 14.86, 0.01);  // 15.62 with the padding
}

TEST(Template, AnXlsTemplateIsSavedAsXlsx) {
  TempDir dir;
  Workbook book = Workbook::Open(testing::FixturePath("libreoffice.xls"));
  EXPECT_EQ(book.sourceFormat(), WorkbookFormat::kXls);
  book.FirstSheet().SetText(0, 8, "错误信息");
  book.Save(dir.File("from-xls.xlsx"));
  Workbook back = Workbook::Open(dir.File("from-xls.xlsx"));
  EXPECT_EQ(back.FirstSheet().CellText(0, 8), "错误信息");
  EXPECT_EQ(back.FirstSheet().CellText(1, 4), "2024-01-05");
  EXPECT_EQ(back.FirstSheet().FindCell(1, 4)->kind, CellKind::kDate);
}

TEST(Sheets, NamesAreCheckedAndComparedWithoutCase) {
  Workbook book;
  book.AddSheet("Data");
  EXPECT_EQ(book.FindSheet("DATA"), &book.sheet(0));
  EXPECT_WORKBOOK_ERROR(book.AddSheet("data"), WorkbookErrorCode::kInvalidArgument, "工作表名称重复：data");
  EXPECT_WORKBOOK_ERROR(book.AddSheet("a/b"), WorkbookErrorCode::kInvalidArgument, "工作表名称无效：a/b");
  EXPECT_WORKBOOK_ERROR(book.AddSheet(""), WorkbookErrorCode::kInvalidArgument, "工作表名称无效：");
  EXPECT_WORKBOOK_ERROR(book.AddSheet("'x"), WorkbookErrorCode::kInvalidArgument, "工作表名称无效：'x");
  std::string longName(32, 'x');
  EXPECT_WORKBOOK_ERROR(book.AddSheet(longName), WorkbookErrorCode::kInvalidArgument, "工作表名称无效：" + longName);
  std::string cjk31;
  for (int i = 0; i < 31; ++i) cjk31 += "表";  // characters are counted, not bytes
  EXPECT_NO_THROW(book.AddSheet(cjk31));
  EXPECT_WORKBOOK_ERROR(book.SheetByName("无"), WorkbookErrorCode::kSheetNotFound, "工作表不存在：无");
  EXPECT_WORKBOOK_ERROR(book.sheet(9), WorkbookErrorCode::kSheetNotFound, "工作表不存在：第10个");
  EXPECT_EQ(book.UsableSheetName("data"), "data (2)");
  EXPECT_EQ(book.UsableSheetName("a:b*c"), "a_b_c");
  EXPECT_EQ(book.UsableSheetName("''"), "Sheet");
  EXPECT_WORKBOOK_ERROR(Workbook().FirstSheet(), WorkbookErrorCode::kNoSheet, "工作簿中没有工作表：");
}

TEST(Sheets, CellsOutsideTheSheetAndBadLayoutAreRefused) {
  Workbook book;
  Sheet& s = book.AddSheet("S");
  EXPECT_WORKBOOK_ERROR(s.SetText(kMaxRows, 0, "x"), WorkbookErrorCode::kInvalidArgument,
                        "单元格位置超出范围：第1048577行第1列");
  EXPECT_WORKBOOK_ERROR(s.SetText(0, kMaxColumns, "x"), WorkbookErrorCode::kInvalidArgument,
                        "单元格位置超出范围：第1行第16385列");
  EXPECT_WORKBOOK_ERROR(s.AddMerge(CellRange::Cell(0, 0)), WorkbookErrorCode::kInvalidArgument, "合并区域无效：A1");
  s.AddMerge({{0, 0}, {1, 1}});
  EXPECT_WORKBOOK_ERROR(s.AddMerge({{1, 1}, {2, 2}}), WorkbookErrorCode::kInvalidArgument, "合并区域无效：B2:C3");
  EXPECT_WORKBOOK_ERROR(s.AddListValidation({CellRange::Cell(0, 0)}, "="), WorkbookErrorCode::kInvalidArgument,
                        "数据有效性区域无效：来源为空");
  EXPECT_WORKBOOK_ERROR(Cell::Date(2023, 2, 29), WorkbookErrorCode::kInvalidArgument, "日期无效：2023-02-29");
  EXPECT_TRUE(s.IsEmpty());
}

TEST(Sheets, LongTextIsRefusedWhenSavingAndNothingIsWritten) {
  TempDir dir;
  Workbook book;
  book.AddSheet("S").SetText(0, 1, std::string(32768, 'x'));
  std::string path = dir.File("long.xlsx");
  EXPECT_WORKBOOK_ERROR(book.Save(path), WorkbookErrorCode::kSaveFailed,
                        "保存文件失败：" + path + "（单元格B1的文本超过32767个字符）");
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  book.sheet(0).SetText(0, 1, std::string(32767, 'x'));
  EXPECT_NO_THROW(book.Save(path));
}

TEST(Sheets, SaveIntoAMissingFolderFails) {
  TempDir dir;
  std::string path = dir.File("no/such/dir/x.xlsx");
  EXPECT_WORKBOOK_ERROR(Sample().Save(path), WorkbookErrorCode::kSaveFailed, "保存文件失败：" + path + "（目录不存在）");
  EXPECT_WORKBOOK_ERROR(Sample().Save(dir.path()), WorkbookErrorCode::kSaveFailed,
                        "保存文件失败：" + dir.path() + "（目标是一个目录）");
}

}  // namespace
}  // namespace velmor::workbook
