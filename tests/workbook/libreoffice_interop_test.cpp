// Workbooks written by the engine, opened by a real office program (LibreOffice, headless):
// converted to CSV they show the same texts, and saved again as XLSX they keep their dropdowns;
// the roster import's error workbook opens too.
// Skipped when LibreOffice is not installed; `make workbook-interop` installs it and runs these.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "roster/roster_workbook.h"
#include "support/temp_dir.h"
#include "workbook/workbook.h"
#include "workbook/xls_util.h"

namespace velmor::workbook {
namespace {

using velmor::testing::ReadFile;
using velmor::testing::TempDir;

std::string OfficeProgram() {
  for (const char* name : {"libreoffice", "soffice"}) {
    std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0) return name;
  }
  return {};
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Converts `input` in `dir` with a private profile; true when the output appeared.
bool Convert(const std::string& office, const TempDir& dir, const std::string& input, const std::string& filter,
             const std::string& expected) {
  std::string cmd = office + " -env:UserInstallation=file://" + dir.path() + "/profile --headless --convert-to " +
                    Quote(filter) + " --outdir " + Quote(dir.path() + "/out") + " " + Quote(input) + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0 && std::filesystem::exists(expected);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class LibreOfficeInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    office_ = OfficeProgram();
    if (office_.empty()) GTEST_SKIP() << "LibreOffice is not installed (make workbook-interop installs it)";
  }
  std::string office_;
};

Workbook Exported() {
  Workbook book;
  Sheet& s = book.AddSheet("人员");
  s.SetHeader({"*姓名", "*证件类型", "*证件号码", "金额", "日期", "备注"});
  s.SetRowCells(1, {Cell::Text("张三"), Cell::Text("居民身份证"), Cell::Text("11010519491231002X"),
                    Cell::Number(1234.5, "0.00"), Cell::Date(2024, 1, 5), Cell::Text("含,逗号")});
  s.SetRowCells(2, {Cell::Text("李四·阿里"), Cell(), Cell::Number(410105199001011), Cell::Number(-12345.678, "#,##0.00"),
                    Cell::DateTime(2024, 2, 29, 13, 45, 30), Cell::Text("引号\"内")});
  s.SetCell(4, 0, Cell::Text("王五"));
  s.SetColumnWidth(2, 24);
  EXPECT_TRUE(TXlsUtil::addDropdown(book, "人员", CellRange::Column(1, 1, 100), "代码", 0,
                                    {"居民身份证", "护照", "港澳居民来往内地通行证"}, true));
  return book;
}

TEST_F(LibreOfficeInterop, EngineXlsxConvertsCleanlyToCsv) {
  TempDir dir;
  std::string xlsx = dir.File("export.xlsx");
  Exported().Save(xlsx);
  // UTF-8, comma-separated, texts quoted as needed, cells as shown.
  ASSERT_TRUE(Convert(office_, dir, xlsx, "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true",
                      dir.path() + "/out/export.csv"));
  EXPECT_EQ(Lines(ReadFile(dir.path() + "/out/export.csv")),
            (std::vector<std::string>{"*姓名,*证件类型,*证件号码,金额,日期,备注",
                                      "张三,居民身份证,11010519491231002X,1234.50,2024-01-05,\"含,逗号\"",
                                      "李四·阿里,,410105199001011,\"-12,345.68\",2024-02-29 13:45:30,\"引号\"\"内\"",
                                      ",,,,,", "王五,,,,,"}));
}

TEST_F(LibreOfficeInterop, EngineXlsxSavedAgainByTheOfficeProgramKeepsValuesAndDropdowns) {
  TempDir dir;
  std::string xlsx = dir.File("export.xlsx");
  Exported().Save(xlsx);
  std::filesystem::create_directories(dir.path() + "/in");
  std::string copy = dir.path() + "/in/resaved.xlsx";
  std::filesystem::copy_file(xlsx, copy);
  ASSERT_TRUE(Convert(office_, dir, copy, "xlsx:Calc MS Excel 2007 XML", dir.path() + "/out/resaved.xlsx"));
  Workbook back = Workbook::Open(dir.path() + "/out/resaved.xlsx");
  ASSERT_EQ(back.SheetNames(), (std::vector<std::string>{"人员", "代码"}));
  EXPECT_TRUE(back.sheet(1).hidden());
  const Sheet& s = back.sheet(0);
  EXPECT_EQ(s.RowText(1), (std::vector<std::string>{"张三", "居民身份证", "11010519491231002X", "1234.50", "2024-01-05",
                                                    "含,逗号"}));
  EXPECT_EQ(s.RowText(2), (std::vector<std::string>{"李四·阿里", "", "410105199001011", "-12,345.68",
                                                    "2024-02-29 13:45:30", "引号\"内"}));
  ASSERT_EQ(s.validations().size(), 1u);
  EXPECT_EQ(RangeText(s.validations()[0].ranges.at(0)), "B2:B101");
  EXPECT_NE(s.validations()[0].formula.find("$A$1:$A$3"), std::string::npos) << s.validations()[0].formula;
  EXPECT_EQ(back.sheet(1).CellText(0, 0), "港澳居民来往内地通行证");
}

TEST_F(LibreOfficeInterop, ImportErrorWorkbookOfAnOfficeXlsOpensInTheOfficeProgram) {
  // The roster import's error workbook made from an office-made XLS: XLSX under an .xlsx name,
  // every row of the source kept, the messages in the column after the captions.
  TempDir dir;
  const std::string source = dir.File("wbry_again.xls");
  std::filesystem::copy_file(std::string(VELMOR_SOURCE_DIR) + "/tests/roster/fixtures/wbry_again.xls", source);
  Workbook book = Workbook::Open(source);
  const std::string errors = roster::WriteErrorWorkbook(book, {{2, "证件号码有误"}});
  EXPECT_EQ(std::filesystem::path(errors).filename().string(), "wbry_again_校验不通过.xlsx");
  ASSERT_TRUE(Convert(office_, dir, errors, "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true",
                      dir.path() + "/out/wbry_again_校验不通过.csv"));
  EXPECT_EQ(Lines(ReadFile(dir.path() + "/out/wbry_again_校验不通过.csv")),
            (std::vector<std::string>{"*姓名,*证件类型,*证件号码,一级分组,二级分组,三级分组,错误信息",
                                      "周七,居民身份证,110101199202021236,二组,乙班,丙队,",
                                      "吴八,居民身份证,11010119920202123A,,,,证件号码有误"}));
}

}  // namespace
}  // namespace velmor::workbook
