// The XLSX reader on hand-written packages, and the fixtures saved by an office program.
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "workbook/workbook.h"
#include "workbook_test_util.h"

namespace velmor::workbook {
namespace {

using testing::FixturePath;
using testing::MapPartSource;
using testing::MinimalPackage;
using Rows = std::vector<std::vector<std::string>>;

Workbook Read(const testing::Parts& parts) {
  MapPartSource source(parts);
  return Workbook::ReadXlsxParts(source, "mem.xlsx");
}

TEST(XlsxReader, CellKindsOfTheFormat) {
  const std::string styles =
      "<numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy&quot;年&quot;m&quot;月&quot;\"/></numFmts>"
      "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"4\"/><xf numFmtId=\"164\"/><xf numFmtId=\"49\"/></cellXfs>";
  const std::string strings =
      "<si><t>共享</t></si>"
      "<si><r><rPr><b/></rPr><t>富</t></r><r><t xml:space=\"preserve\"> 文本</t></r><rPh><t>フリガナ</t></rPh></si>"
      "<si><t>回车_x000D_换行</t></si>"
      "<si><t xml:space=\"preserve\"> </t></si>";
  auto book = Read(MinimalPackage(
      "<sheetData><row r=\"1\">"
      "<c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\" t=\"s\"><v>2</v></c>"
      "<c r=\"D1\" t=\"inlineStr\"><is><t>行内</t></is></c><c r=\"E1\" t=\"b\"><v>0</v></c>"
      "<c r=\"F1\" t=\"e\"><v>#N/A</v></c><c r=\"G1\" t=\"str\"><f>A1&amp;\"x\"</f><v>共享x</v></c>"
      "<c r=\"H1\" t=\"s\"><v>3</v></c>"
      "</row><row r=\"2\">"
      "<c r=\"A2\" s=\"1\"><v>45296</v></c><c r=\"B2\" s=\"2\"><v>1234567.891</v></c><c r=\"C2\" s=\"3\"><v>45296</v></c>"
      "<c r=\"D2\" s=\"4\"><v>42</v></c><c r=\"E2\" t=\"d\"><v>2024-01-05T08:30:00</v></c><c r=\"F2\"><v>not a number</v></c>"
      "<c r=\"G2\" s=\"99\"><v>3.5</v></c><c r=\"H2\"><f>1+1</f></c>"
      "</row></sheetData>",
      strings, styles));
  const Sheet& s = book.FirstSheet();
  EXPECT_EQ(s.RowsText(), (Rows{{"共享", "富 文本", "回车\r换行", "行内", "FALSE", "#N/A", "共享x", " "},
                                {"2024-01-05", "1,234,567.89", "2024年1月", "42", "2024-01-05 08:30:00", "not a number", "3.5"}}));
  EXPECT_EQ(s.FindCell(0, 5)->kind, CellKind::kError);
  EXPECT_EQ(s.FindCell(1, 0)->kind, CellKind::kDate);
  EXPECT_EQ(s.FindCell(1, 2)->kind, CellKind::kDate);
  EXPECT_EQ(s.FindCell(1, 1)->kind, CellKind::kNumber);
  EXPECT_EQ(s.FindCell(1, 5)->kind, CellKind::kText);
}

TEST(XlsxReader, CellsWithoutReferencesOutOfOrderRowsAndPrefixedNames) {
  auto parts = MinimalPackage("");
  parts[4].second =
      "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><x:sheetData>"
      "<x:row r=\"3\"><x:c t=\"inlineStr\"><x:is><x:t>c3a</x:t></x:is></x:c><x:c><x:v>2</x:v></x:c></x:row>"
      "<x:row r=\"1\"><x:c r=\"B1\"><x:v>1</x:v></x:c><x:c><x:v>9</x:v></x:c></x:row>"
      "<x:row><x:c><x:v>4</x:v></x:c></x:row>"
      "</x:sheetData></x:worksheet>";
  auto book = Read(parts);
  EXPECT_EQ(book.FirstSheet().RowsText(), (Rows{{"", "1", "9"}, {"4"}, {"c3a", "2"}}));
}

TEST(XlsxReader, Date1904WorkbooksReadAsTheSameDates) {
  auto parts = MinimalPackage("<sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"><v>43834</v></c></row></sheetData>", "",
                              "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs>");
  parts[2].second =
      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><workbookPr date1904=\"1\"/>"
      "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
  auto book = Read(parts);
  EXPECT_EQ(book.FirstSheet().CellText(0, 0), "2024-01-05");
  EXPECT_EQ(book.FirstSheet().FindCell(0, 0)->number, 45296);
}

TEST(XlsxReader, RelationshipsWithAbsoluteAndParentTargetsAndChartSheetsSkipped) {
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  auto parts = MinimalPackage("<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row></sheetData>",
                              "<si><t>ok</t></si>");
  parts[1].second = "<Relationships><Relationship Id=\"r\" Type=\"" + rel + "/officeDocument\" Target=\"/xl/workbook.xml\"/></Relationships>";
  parts[2].second =
      "<workbook xmlns:r=\"" + rel + "\"><sheets><sheet name=\"图表\" r:id=\"rId9\"/>"
      "<sheet name=\"数据:1\" r:id=\"rId1\"/></sheets></workbook>";
  parts[3].second =
      "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel + "/worksheet\" Target=\"/xl/worksheets/../worksheets/sheet1.xml\"/>"
      "<Relationship Id=\"rId9\" Type=\"" + rel + "/chartsheet\" Target=\"chartsheets/sheet1.xml\"/>"
      "<Relationship Id=\"rId2\" Type=\"" + rel + "/sharedStrings\" Target=\"../xl/sharedStrings.xml\"/></Relationships>";
  auto book = Read(parts);
  ASSERT_EQ(book.SheetNames(), std::vector<std::string>{"数据_1"});  // names made usable
  EXPECT_EQ(book.FirstSheet().CellText(0, 0), "ok");
}

TEST(XlsxReader, LayoutRecordsThatDoNotParseAreDropped) {
  auto book = Read(MinimalPackage(
      "<cols><col min=\"2\" max=\"3\" width=\"20\" customWidth=\"1\"/><col min=\"0\" max=\"99999\" width=\"5\" customWidth=\"1\"/>"
      "<col min=\"5\" max=\"5\" width=\"30\"/></cols>"
      "<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData>"
      "<mergeCells><mergeCell ref=\"A1:B2\"/><mergeCell ref=\"B2:C3\"/><mergeCell ref=\"Z\"/><mergeCell ref=\"D4\"/></mergeCells>"
      "<dataValidations><dataValidation type=\"list\" sqref=\"A2:A9 C1\"><formula1>\"是,否\"</formula1></dataValidation>"
      "<dataValidation type=\"whole\" sqref=\"B1\"><formula1>1</formula1></dataValidation>"
      "<dataValidation type=\"list\" sqref=\"A:A\"><formula1>$Z$1</formula1></dataValidation>"
      "<dataValidation type=\"list\" sqref=\"A1\"/></dataValidations>"));
  const Sheet& s = book.FirstSheet();
  EXPECT_EQ(s.columnWidths(), (std::map<uint32_t, double>{{1, 19.29}, {2, 19.29}}));  // 20 with the padding
  ASSERT_EQ(s.merges().size(), 1u);
  ASSERT_EQ(s.validations().size(), 1u);
  EXPECT_EQ(s.validations()[0].formula, "\"是,否\"");
  EXPECT_EQ(s.validations()[0].ranges.size(), 2u);

  // A literal list survives saving.
  velmor::testing::TempDir dir;
  book.Save(dir.File("list.xlsx"));
  auto xml = testing::ReadPart(dir.File("list.xlsx"), "xl/worksheets/sheet1.xml");
  ASSERT_TRUE(xml);
  EXPECT_NE(xml->find("<formula1>\"是,否\"</formula1>"), std::string::npos) << *xml;
  EXPECT_NE(xml->find("<mergeCell ref=\"A1:B2\"/>"), std::string::npos) << *xml;
}

TEST(XlsxReader, OpensPackagesHeldInMemory) {
  std::string bytes = velmor::testing::ReadFile(FixturePath("libreoffice.xlsx"));
  Workbook book = Workbook::OpenXlsxMemory(bytes, "内存");
  EXPECT_EQ(book.sourcePath(), "内存");
  EXPECT_EQ(book.FirstSheet().CellText(1, 0), "张三");
}

TEST(Fixtures, AnXlsxSavedByAnOfficeProgramReadsAsShown) {
  Workbook book = Workbook::Open(FixturePath("libreoffice.xlsx"));
  ASSERT_EQ(book.SheetNames(), (std::vector<std::string>{"人员", "代码", "隐藏"}));
  const Sheet& s = book.sheet(0);
  EXPECT_EQ(s.RowsText(),
            (Rows{{"*姓名", "*证件类型", "*证件号码", "金额", "日期", "备注", "是否", "比例"},
                  {"张三", "居民身份证", "11010519491231002X", "1234.50", "2024-01-05", "", "TRUE", "12.5%"},
                  {"李四·阿里", "护照", "410105199001011", "0.00", "2023年12月31日", "备注  两个空格", "FALSE"},
                  {},
                  {"王五", "", "E12345678", "-12,345.68", "2024-02-29 13:45:30", "42"}}));
  EXPECT_EQ(s.RowCount(), 5u);  // the filled but empty rows 6 to 8 do not count
  EXPECT_EQ(book.sheet(1).RowText(0), (std::vector<std::string>{"居民身份证", "合并标题"}));
  EXPECT_EQ(RangeText(book.sheet(1).merges().at(0)), "B1:C1");
  EXPECT_TRUE(book.sheet(2).hidden());
  EXPECT_EQ(book.sheet(2).CellText(0, 0), "hidden");
}

TEST(Fixtures, AnXlsSavedByAnOfficeProgramReadsTheSameValues) {
  Workbook book = Workbook::Open(FixturePath("libreoffice.xls"));
  EXPECT_EQ(book.sourceFormat(), WorkbookFormat::kXls);
  ASSERT_EQ(book.SheetNames(), (std::vector<std::string>{"人员", "代码", "隐藏"}));
  const Sheet& s = book.sheet(0);
  // freexl gives no number formats: numbers read as General, dates in ISO form.
  EXPECT_EQ(s.RowsText(),
            (Rows{{"*姓名", "*证件类型", "*证件号码", "金额", "日期", "备注", "是否", "比例"},
                  {"张三", "居民身份证", "11010519491231002X", "1234.5", "2024-01-05", "", "1", "0.125"},
                  {"李四·阿里", "护照", "410105199001011", "0", "2023-12-31", "备注  两个空格", "0"},
                  {},
                  {"王五", "", "E12345678", "-12345.678", "2024-02-29 13:45:30", "42"}}));
  EXPECT_EQ(book.sheet(1).RowText(2), (std::vector<std::string>{"港澳居民来往内地通行证"}));
}

}  // namespace
}  // namespace velmor::workbook
