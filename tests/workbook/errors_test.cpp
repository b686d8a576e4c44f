// Files that are missing, not workbooks, encrypted or damaged: each gives its own message.
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "workbook/workbook.h"
#include "workbook_test_util.h"

namespace velmor::workbook {
namespace {

using velmor::testing::ReadFile;
using velmor::testing::TempDir;
using velmor::testing::WriteFile;
using testing::FixturePath;
using testing::MinimalPackage;
using testing::WriteZip;
using Code = WorkbookErrorCode;

const std::string kCell = "<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>x</t></is></c></row></sheetData>";

std::string Damaged(const std::string& path, const std::string& detail) {
  return "文件已损坏，无法读取：" + path + "（" + detail + "）";
}

TEST(OpenErrors, MissingFilesAndDirectories) {
  TempDir dir;
  std::string path = dir.File("没有.xlsx");
  EXPECT_WORKBOOK_ERROR(Workbook::Open(path), Code::kFileNotFound, "文件不存在：" + path);
  EXPECT_WORKBOOK_ERROR(Workbook::Open(dir.path()), Code::kFileNotFound, "文件不存在：" + dir.path());
  EXPECT_WORKBOOK_ERROR(Workbook::Open(""), Code::kFileNotFound, "文件不存在：");
  EXPECT_WORKBOOK_ERROR(ReadFirstSheetRows(path), Code::kFileNotFound, "文件不存在：" + path);
}

TEST(OpenErrors, FilesThatAreNoWorkbook) {
  TempDir dir;
  std::string text = dir.File("人员.xlsx");
  ASSERT_TRUE(WriteFile(text, "姓名,证件号码\n张三,1\n"));
  EXPECT_WORKBOOK_ERROR(Workbook::Open(text), Code::kNotAWorkbook, "不是有效的Excel文件：" + text);
  std::string empty = dir.File("empty.xls");
  ASSERT_TRUE(WriteFile(empty, ""));
  EXPECT_WORKBOOK_ERROR(Workbook::Open(empty), Code::kNotAWorkbook, "不是有效的Excel文件：" + empty);
  // A spreadsheet in the office program's own format: a zip package without a workbook part.
  std::string ods = FixturePath("libreoffice.ods");
  EXPECT_WORKBOOK_ERROR(Workbook::Open(ods), Code::kNotAWorkbook, "不是有效的Excel文件：" + ods);
  // A package whose main document is something else.
  std::string doc = dir.File("doc.xlsx");
  auto parts = MinimalPackage(kCell);
  parts[2].second = "<?xml version=\"1.0\"?><document/>";
  ASSERT_TRUE(WriteZip(doc, parts));
  EXPECT_WORKBOOK_ERROR(Workbook::Open(doc), Code::kNotAWorkbook, "不是有效的Excel文件：" + doc);
  // A compound document holding neither a workbook nor an encrypted package.
  std::string cfb = ReadFile(FixturePath("encrypted.xlsx"));
  std::string name;
  for (char c : std::string("EncryptedPackage")) { name += c; name += '\0'; }
  size_t at = cfb.find(name);
  ASSERT_NE(at, std::string::npos);
  cfb[at] = 'X';
  std::string other = dir.File("other.xls");
  ASSERT_TRUE(WriteFile(other, cfb));
  EXPECT_WORKBOOK_ERROR(Workbook::Open(other), Code::kNotAWorkbook, "不是有效的Excel文件：" + other);
  EXPECT_WORKBOOK_ERROR(Workbook::OpenXlsxMemory("not a zip", "内存"), Code::kNotAWorkbook, "不是有效的Excel文件：内存");
}

TEST(OpenErrors, EncryptedWorkbooks) {
  std::string xlsx = FixturePath("encrypted.xlsx");
  EXPECT_WORKBOOK_ERROR(Workbook::Open(xlsx), Code::kEncrypted, "文件已加密，无法读取：" + xlsx);
  std::string xls = FixturePath("encrypted.xls");
  EXPECT_WORKBOOK_ERROR(Workbook::Open(xls), Code::kEncrypted, "文件已加密，无法读取：" + xls);
}

TEST(OpenErrors, DamagedZipArchives) {
  TempDir dir;
  std::string whole = ReadFile(FixturePath("libreoffice.xlsx"));
  std::string cut = dir.File("cut.xlsx");
  ASSERT_TRUE(WriteFile(cut, whole.substr(0, whole.size() / 2)));
  EXPECT_WORKBOOK_ERROR(Workbook::Open(cut), Code::kDamaged, Damaged(cut, "压缩包不完整"));
  EXPECT_WORKBOOK_ERROR(Workbook::OpenXlsxMemory(whole.substr(0, 100), "内存"), Code::kDamaged,
                        Damaged("内存", "压缩包不完整"));

  // A stored (uncompressed) package with one byte of the sheet changed: the checksum catches it.
  std::string stored = dir.File("stored.xlsx");
  ASSERT_TRUE(WriteZip(stored, MinimalPackage(kCell), true));
  std::string bytes = ReadFile(stored);
  size_t at = bytes.find("<sheetData>");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 1] = 'S';
  ASSERT_TRUE(WriteFile(stored, bytes));
  EXPECT_WORKBOOK_ERROR(Workbook::Open(stored), Code::kDamaged,
                        Damaged(stored, "部件xl/worksheets/sheet1.xml数据错误：数据校验失败"));

  // Compressed data overwritten in the middle.
  std::string deflated = dir.File("deflated.xlsx");
  std::string big = "<sheetData>";
  for (int r = 1; r <= 300; ++r) big += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\"><v>" + std::to_string(r * 7) + "</v></c></row>";
  big += "</sheetData>";
  ASSERT_TRUE(WriteZip(deflated, MinimalPackage(big)));
  bytes = ReadFile(deflated);
  at = bytes.find("xl/worksheets/sheet1.xml");  // the local header; its data follows
  ASSERT_NE(at, std::string::npos);
  for (size_t i = at + 60; i < at + 120; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
  ASSERT_TRUE(WriteFile(deflated, bytes));
  try {
    Workbook::Open(deflated);
    ADD_FAILURE() << "damaged data was read";
  } catch (const WorkbookError& e) {
    EXPECT_EQ(e.code(), Code::kDamaged);
    EXPECT_EQ(std::string(e.what()).rfind("文件已损坏，无法读取：" + deflated + "（部件xl/worksheets/sheet1.xml数据错误：", 0), 0u)
        << e.what();
  }
}

TEST(OpenErrors, DamagedXml) {
  TempDir dir;
  struct Case {
    std::string sheet, strings, detail;
  } cases[] = {
      {"<sheetData><row><c r=\"A1\"><v>1</v></row></sheetData>", "",
       "部件xl/worksheets/sheet1.xml的XML格式错误：Start-end tags mismatch"},
      {"<sheetData><row><c r=\"A1\" t=\"s\"><v>0</v></c></row></sheetData>", "<si><t>a</t>",
       "部件xl/sharedStrings.xml的XML格式错误：Start-end tags mismatch"},
      {"<sheetData><row><c r=\"A1\" t=\"s\"><v>3</v></c></row></sheetData>", "<si><t>a</t></si>", "共享字符串索引无效：A1"},
      {"<sheetData><row><c r=\"A1\" t=\"s\"><v>-1</v></c></row></sheetData>", "<si><t>a</t></si>", "共享字符串索引无效：A1"},
      {"<sheetData><row><c r=\"A0\"><v>1</v></c></row></sheetData>", "", "单元格位置无效：A0"},
      {"<sheetData><row><c r=\"XFE1\"><v>1</v></c></row></sheetData>", "", "单元格位置无效：XFE1"},
      {"<sheetData><row r=\"0\"><c><v>1</v></c></row></sheetData>", "", "行号无效：0"},
      {"<sheetData><row r=\"1048577\"><c><v>1</v></c></row></sheetData>", "", "行号无效：1048577"},
  };
  for (const auto& c : cases) {
    std::string path = dir.File("x.xlsx");
    ASSERT_TRUE(WriteZip(path, MinimalPackage(c.sheet, c.strings)));
    EXPECT_WORKBOOK_ERROR(Workbook::Open(path), Code::kDamaged, Damaged(path, c.detail));
  }
  // The workbook part itself, and a sheet part that is named but missing.
  auto parts = MinimalPackage(kCell);
  parts[2].second = "<workbook><sheets>";
  std::string path = dir.File("wb.xlsx");
  ASSERT_TRUE(WriteZip(path, parts));
  EXPECT_WORKBOOK_ERROR(Workbook::Open(path), Code::kDamaged,
                        Damaged(path, "部件xl/workbook.xml的XML格式错误：Start-end tags mismatch"));
  parts = MinimalPackage(kCell);
  parts.erase(parts.begin() + 4);
  ASSERT_TRUE(WriteZip(path, parts));
  EXPECT_WORKBOOK_ERROR(Workbook::Open(path), Code::kDamaged, Damaged(path, "缺少工作表部件xl/worksheets/sheet1.xml"));
  parts = MinimalPackage(kCell);
  parts[4].second = "";
  ASSERT_TRUE(WriteZip(path, parts));
  EXPECT_WORKBOOK_ERROR(Workbook::Open(path), Code::kDamaged,
                        Damaged(path, "部件xl/worksheets/sheet1.xml的XML格式错误：No document element found"));
}

TEST(OpenErrors, WorkbooksWithoutWorksheets) {
  TempDir dir;
  auto parts = MinimalPackage(kCell);
  parts[2].second =
      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheets/></workbook>";
  std::string path = dir.File("nosheet.xlsx");
  ASSERT_TRUE(WriteZip(path, parts));
  EXPECT_WORKBOOK_ERROR(Workbook::Open(path), Code::kNoSheet, "工作簿中没有工作表：" + path);
}

TEST(OpenErrors, EmptyFirstSheet) {
  TempDir dir;
  std::string path = dir.File("blank.xlsx");
  // Styled but empty cells and rows, as office programs write them.
  ASSERT_TRUE(WriteZip(path, MinimalPackage("<sheetData><row r=\"3\"><c r=\"A3\" s=\"1\"/></row></sheetData>")));
  Workbook book = Workbook::Open(path);
  EXPECT_TRUE(book.FirstSheet().IsEmpty());
  EXPECT_WORKBOOK_ERROR(ReadFirstSheetRows(path), Code::kEmptySheet, "工作表为空：Sheet1");
}

TEST(OpenErrors, SizeCapsStopZipBombs) {
  TempDir dir;
  std::string rows = "<sheetData>";
  for (int r = 1; r <= 200; ++r) rows += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\"><v>1</v></c></row>";
  rows += "</sheetData>";
  std::string path = dir.File("bomb.xlsx");
  ASSERT_TRUE(WriteZip(path, MinimalPackage(rows)));
  ReadLimits part;
  part.maxPartBytes = 1000;
  EXPECT_WORKBOOK_ERROR(Workbook::Open(path, part), Code::kDamaged,
                        Damaged(path, "部件xl/worksheets/sheet1.xml解压后超过1000字节上限"));
  ReadLimits total;
  total.maxTotalBytes = 1500;
  EXPECT_WORKBOOK_ERROR(Workbook::Open(path, total), Code::kDamaged, Damaged(path, "工作簿解压后超过1500字节上限"));
  ReadLimits cells;
  cells.maxCells = 150;
  EXPECT_WORKBOOK_ERROR(Workbook::Open(path, cells), Code::kDamaged, Damaged(path, "单元格数量超过150上限"));
  EXPECT_EQ(Workbook::Open(path).FirstSheet().RowCount(), 200u);

  // 80 MB of spaces compress to a few dozen kilobytes; the default cap refuses the part.
  std::string bomb = "<sheetData>" + std::string(80u << 20, ' ') + "</sheetData>";
  std::string big = dir.File("big.xlsx");
  ASSERT_TRUE(WriteZip(big, MinimalPackage(bomb)));
  bomb.clear();
  bomb.shrink_to_fit();
  EXPECT_LT(ReadFile(big).size(), 1u << 20);
  EXPECT_WORKBOOK_ERROR(Workbook::Open(big), Code::kDamaged,
                        Damaged(big, "部件xl/worksheets/sheet1.xml解压后超过64MB上限"));
}

TEST(OpenErrors, XlsFilesThatAreCutShort) {
  TempDir dir;
  std::string whole = ReadFile(FixturePath("libreoffice.xls"));
  std::string cut = dir.File("cut.xls");
  ASSERT_TRUE(WriteFile(cut, whole.substr(0, 1024)));
  try {
    Workbook::Open(cut);
    ADD_FAILURE() << "a cut XLS was read";
  } catch (const WorkbookError& e) {
    EXPECT_EQ(e.code(), Code::kDamaged) << e.what();
    EXPECT_EQ(std::string(e.what()).rfind("文件已损坏，无法读取：" + cut + "（XLS结构错误（代码", 0), 0u) << e.what();
  }
}

}  // namespace
}  // namespace velmor::workbook
