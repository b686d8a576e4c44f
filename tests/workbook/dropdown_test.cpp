// TXlsUtil.addDropdown: list items in a helper column, the validation in the saved sheet XML.
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "workbook/xls_util.h"
#include "workbook_test_util.h"

namespace velmor::workbook {
namespace {

using velmor::testing::TempDir;
using testing::ReadPart;

std::vector<std::string> Column(const Sheet& s, uint32_t col) {
  std::vector<std::string> out;
  for (uint32_t r = 0; r < s.RowCount(); ++r) out.push_back(s.CellText(r, col));
  return out;
}

TEST(Dropdown, SortedItemsGoIntoAHiddenHelperSheetAndTheSheetXmlCarriesTheList) {
  TempDir dir;
  Workbook book;
  book.AddSheet("导入模板").SetHeader({"*姓名", "*证件类型"});
  std::string error;
  EXPECT_TRUE(TXlsUtil::addDropdown(book, "导入模板", CellRange::Column(1, 1, 500), "下拉数据", 2,
                                    {"居民身份证", "护照", "", "港澳居民来往内地通行证", "护照"}, true, 0, &error));
  EXPECT_EQ(error, "");
  Sheet* list = book.FindSheet("下拉数据");
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->hidden());
  EXPECT_EQ(Column(*list, 2), (std::vector<std::string>{"港澳居民来往内地通行证", "护照", "居民身份证"}));

  std::string path = dir.File("template.xlsx");
  book.Save(path);
  auto sheetXml = ReadPart(path, "xl/worksheets/sheet1.xml");
  ASSERT_TRUE(sheetXml);
  EXPECT_NE(sheetXml->find("<dataValidation type=\"list\""), std::string::npos) << *sheetXml;
  EXPECT_NE(sheetXml->find("sqref=\"B2:B501\""), std::string::npos) << *sheetXml;
  EXPECT_NE(sheetXml->find("<formula1>'下拉数据'!$C$1:$C$3</formula1>"), std::string::npos) << *sheetXml;
  auto workbookXml = ReadPart(path, "xl/workbook.xml");
  ASSERT_TRUE(workbookXml);
  EXPECT_NE(workbookXml->find("name=\"下拉数据\" sheetId=\"2\" state=\"hidden\""), std::string::npos) << *workbookXml;

  Workbook back = Workbook::Open(path);
  EXPECT_EQ(Column(back.sheet(1), 2), (std::vector<std::string>{"港澳居民来往内地通行证", "护照", "居民身份证"}));
  ASSERT_EQ(back.sheet(0).validations().size(), 1u);
  EXPECT_EQ(back.sheet(0).validations()[0].formula, "'下拉数据'!$C$1:$C$3");
}

TEST(Dropdown, UnsortedItemsKeepTheirOrderAndARefillReplacesTheColumn) {
  Workbook book;
  Sheet& t = book.AddSheet("T");
  Sheet& d = book.AddSheet("D");
  d.SetText(0, 0, "其他列");
  EXPECT_TRUE(TXlsUtil::addDropdown(book, "T", CellRange::Column(0, 1, 10), "D", 1, {"乙", "甲", "乙", "丙"}, false, 1));
  EXPECT_EQ(Column(d, 1), (std::vector<std::string>{"", "乙", "甲", "乙", "丙"}));
  EXPECT_FALSE(d.hidden());  // an existing sheet keeps its visibility
  EXPECT_TRUE(TXlsUtil::addDropdown(book, "T", CellRange::Column(0, 5, 20), "D", 1, {"一"}, false, 1));
  EXPECT_EQ(Column(d, 1), (std::vector<std::string>{"", "一"}));
  EXPECT_EQ(d.CellText(0, 0), "其他列");
  // The second list took rows 6..21 away from the first one.
  ASSERT_EQ(t.validations().size(), 2u);
  EXPECT_EQ(RangeText(t.validations()[0].ranges.at(0)), "A2:A5");
  EXPECT_EQ(t.validations()[1].formula, "'D'!$B$2");
  // An empty list clears the column and takes the dropdown off.
  EXPECT_TRUE(TXlsUtil::addDropdown(book, "T", CellRange::Column(0, 1, 20), "D", 1, {}, true, 1));
  EXPECT_TRUE(t.validations().empty());
  EXPECT_EQ(d.RowCount(), 1u);
}

TEST(Dropdown, FailuresReturnFalseWithAMessageAndLeaveTheWorkbookAlone) {
  Workbook book;
  book.AddSheet("T");
  std::string error;
  EXPECT_FALSE(TXlsUtil::addDropdown(book, "无此表", CellRange::Cell(0, 0), "D", 0, {"a"}, true, 0, &error));
  EXPECT_EQ(error, "工作表不存在：无此表");
  EXPECT_FALSE(TXlsUtil::addDropdown(book, "T", CellRange::Cell(0, 0), "bad/name", 0, {"a"}, true, 0, &error));
  EXPECT_EQ(error, "工作表名称无效：bad/name");
  EXPECT_FALSE(TXlsUtil::addDropdown(book, "T", {{5, 0}, {kMaxRows, 0}}, "D", 0, {"a"}, true, 0, &error));
  EXPECT_EQ(error, "下拉列表的目标区域无效");
  EXPECT_FALSE(TXlsUtil::addDropdown(book, "T", CellRange::Cell(0, 0), "D", 0, {"a", "b"}, true, kMaxRows - 1, &error));
  EXPECT_EQ(error, "下拉列表项超出工作表范围");
  EXPECT_EQ(book.SheetCount(), 1u);
  EXPECT_TRUE(book.sheet(0).validations().empty());
  EXPECT_FALSE(TXlsUtil::addDropdown(book, "无此表", CellRange::Cell(0, 0), "D", 0, {"a"}, true));  // no out text
}

}  // namespace
}  // namespace velmor::workbook
