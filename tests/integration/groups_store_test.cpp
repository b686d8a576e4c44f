// The local side of the collective and government payers through the loaded plug-in: prepared
// lines refused as a whole, the declaration save under a failure at every statement, and the
// workbook template and import with its failure workbook.
#include <filesystem>

#include <xlsxwriter.h>
#include <zip.h>

#include "integration/groups_fixture.h"

namespace velmor::testing {
namespace {

// All text of the XML parts of an XLSX file.
std::string XlsxParts(const std::string& path) {
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &err);
  if (!z) return "<not a zip>";
  std::string all;
  for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
    zip_file_t* f = zip_fopen_index(z, i, 0);
    if (!f) continue;
    char buf[4096];
    for (zip_int64_t n; (n = zip_fread(f, buf, sizeof buf)) > 0;) all.append(buf, static_cast<size_t>(n));
    zip_fclose(f);
  }
  zip_close(z);
  return all;
}

void WriteRows(const std::string& path, const std::vector<std::vector<std::string>>& rows) {
  lxw_workbook* book = workbook_new(path.c_str());
  lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c)
      worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), rows[r][c].c_str(), nullptr);
  ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
}

const std::vector<std::string> kHeader = {"缴费年度", "社保经办机构", "单位编号", "人员编号", "险种类型",
                                          "姓名",     "证件类型",     "证件号码", "应缴费额"};

TEST_F(GroupsFixture, PreparedLinesAreAddedAsAWholeOrNotAtAll) {
  int32_t added = 0;
  Json lines = Json{Line("RY0001", 100), Line("RY0002", 0)};
  EXPECT_FALSE(jt_->addDatas(lines.dump(), nullptr, added));
  EXPECT_EQ(jt_->GetErrorMessage(), "第2行：应缴费额须大于0");
  lines[1]["yjfe"] = "12x";
  EXPECT_FALSE(jt_->addDatas(lines.dump(), nullptr, added));
  EXPECT_EQ(jt_->GetErrorMessage(), "第2行：应缴费额不是数字");
  EXPECT_FALSE(jt_->addDatas(R"({"rybh":"x"})", nullptr, added));
  EXPECT_EQ(jt_->GetErrorMessage(), "数据不是JSON数组。");
  EXPECT_FALSE(jt_->addDatas(std::string(100000, '[') + std::string(100000, ']'), nullptr, added));
  EXPECT_EQ(jt_->GetErrorMessage(), "数据库查询失败。");
  EXPECT_NE(env_->LogText().find("JSON嵌套超过512层"), std::string::npos) << "the cause is in the log";
  EXPECT_EQ(jt_->getCount({}), 0);
  Add(*jt_, Json{Line("O'Brien1", 100, "O'Brien")});
  BzDjFilter qc;
  qc.xm = "O'B";
  EXPECT_EQ(jt_->getCount(qc), 1) << "quotes are data";
  int32_t id = 0;
  EXPECT_FALSE(jt_->synCxjmjtbzsb(DeclareParams("2030"), nullptr, id));
  EXPECT_EQ(jt_->GetErrorMessage(), "没有可申报的数据。");
  EXPECT_FALSE(jt_->synCxjmjtbzsb("{}", nullptr, id));
  EXPECT_EQ(jt_->GetErrorMessage(), "请指定主管税务机关、社保经办机构和缴费年度。");
}

TEST_F(GroupsFixture, AFailureAtAnyStatementOfTheDeclarationSaveStoresNothing) {
  Add(*jt_, Json{Line("RY0001", 100), Line("RY0002", 50)});
  const std::string before = Tables();
  int failures = 0, saveFailures = 0;
  int32_t id = 0;
  for (int n = 1; n < 20; ++n) {
    FaultInjection::FailStatement(n);
    const bool ok = jt_->synCxjmjtbzsb(DeclareParams(), nullptr, id);
    FaultInjection::Clear();
    if (ok) break;
    ++failures;
    EXPECT_EQ(Tables(), before) << "statement " << n;
    saveFailures += jt_->GetErrorMessage().rfind("保存数据异常：", 0) == 0;
  }
  EXPECT_EQ(saveFailures, 4) << "record, its id, two lines";
  EXPECT_GE(failures, saveFailures);
  EXPECT_EQ(Count("select count(*) from ds_jtbzhsbjlb"), 1);
  FaultInjection::FailCommit(1);
  EXPECT_FALSE(jt_->synCxjmjtbzsb(DeclareParams(), nullptr, id));
  EXPECT_EQ(Count("select count(*) from ds_jtbzhsbjlb"), 1);
  EXPECT_EQ(Count("select count(*) from ds_jtbzhsbjlmxb"), 2);
  Fault(R"({"kind":"code","code":"20003","message":"申报明细为空"})");
  EXPECT_FALSE(jt_->synCxjmjtbzsb(DeclareParams(), nullptr, id));
  EXPECT_EQ(jt_->GetErrorMessage(), "【20003】申报明细为空");
  EXPECT_NE(env_->LogText().find("[TBzDjImpl.synCxjmjtbzsb]异常：【20003】申报明细为空"), std::string::npos);
  EXPECT_EQ(Count("select count(*) from ds_jtbzhsbjlb"), 1) << "a refused declaration is not stored";
}

TEST_F(GroupsFixture, AVerdictSavedWholeOrNotAtAll) {
  Add(*jt_, Json{Line("RY0001", 100), Line("ERR0002", 50)});
  int32_t id = 0;
  ASSERT_TRUE(jt_->synCxjmjtbzsb(DeclareParams(), nullptr, id));
  const std::string before = Record(id);
  std::string sbzt;
  for (int n = 1; n < 10; ++n) {
    FaultInjection::FailStatement(n);
    const bool ok = jt_->synCxjmjtbzsbjgCx(id, nullptr, sbzt);
    FaultInjection::Clear();
    if (ok) break;
    EXPECT_EQ(Record(id), before) << n;
    EXPECT_EQ(Count("select count(*) from ds_jtbzhsbjlmxb where sbjg = 'N'"), 0) << n;
  }
  EXPECT_EQ(Record(id).substr(0, 2), "2|");
  const std::string declared = Record(id);
  Fault(R"({"kind":"code","code":"10009","message":"系统异常"})");
  EXPECT_FALSE(jt_->synCxjmjtbzsbjgCx(id, nullptr, sbzt));
  EXPECT_EQ(jt_->GetErrorMessage(), "【10009】系统异常");
  Fault(R"({"kind":"drop-list","list":"cljgDm"})");
  EXPECT_FALSE(jt_->synCxjmjtbzsbjgCx(id, nullptr, sbzt));
  EXPECT_EQ(jt_->GetErrorMessage(), "反馈报文异常：缺少<cljgDm>节点。");
  EXPECT_EQ(Record(id), declared) << "a verdict that cannot be read changes nothing";
}

TEST_F(GroupsFixture, ImportStoresGoodRowsAndWritesTheRejectedOnesToTheFailureWorkbook) {
  const std::string path = env_->dir().File("lines.xlsx");
  WriteRows(path, {kHeader,
                   {"2024", "11101000001|模拟经办", "JT801", "RY0001", "1|养老", "张三", "201|居民身份证",
                    "110101199001010011", "380"},
                   {"2024", "11101000001", "JT801", "RY0002", "1", "", "201", "110101199001010022", "380"},
                   {},
                   {"2024", "11101000001", "JT801", "RY0003", "1", "王五", "201", "110101199001010033", "abc"},
                   {"2024", "11101000001", "JT801", "RY0004", "1", "赵六", "201", "110101199001010044", "180.5"}});
  TBzDjImportResult result;
  ASSERT_TRUE(jt_->importData(path, nullptr, result)) << jt_->GetErrorMessage();
  EXPECT_EQ(result.accepted, 2);
  EXPECT_EQ(result.rejected, 2);
  EXPECT_EQ(std::filesystem::path(result.failureFile).filename().string(), "导入失败文件.xlsx");
  Json stored = Json::parse(jt_->getData({}));
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0]["sbjbjgdm"], "11101000001") << "the code before \"|\"";
  EXPECT_EQ(stored[0]["zjlx"], "201");
  const std::string failures = XlsxParts(result.failureFile);
  EXPECT_NE(failures.find("第3行：缺少xm"), std::string::npos) << failures;
  EXPECT_NE(failures.find("第5行：应缴费额不是数字"), std::string::npos);
  EXPECT_NE(failures.find("王五"), std::string::npos);
  EXPECT_EQ(failures.find("赵六"), std::string::npos) << "good rows stay out";

  ASSERT_TRUE(jt_->importData(path, nullptr, result));
  EXPECT_EQ(std::filesystem::path(result.failureFile).filename().string(), "导入失败文件(1).xlsx")
      << "an earlier failure workbook is kept";
  WriteRows(path, {{"姓名", "证件号码"}, {"张三", "1"}});
  EXPECT_FALSE(jt_->importData(path, nullptr, result));
  EXPECT_EQ(jt_->GetErrorMessage().rfind("导入文件不是集体补助及政府代缴模板", 0), 0u) << jt_->GetErrorMessage();
  EXPECT_FALSE(jt_->importData(env_->dir().File("missing.xlsx"), nullptr, result));
  EXPECT_FALSE(jt_->GetErrorMessage().empty());
  EXPECT_EQ(jt_->getCount({}), 4);
}

TEST_F(GroupsFixture, TheTemplateImportsAsItIs) {
  const std::string path = env_->dir().File("template.xlsx");
  ASSERT_TRUE(jt_->handTemplate(path)) << jt_->GetErrorMessage();
  TBzDjImportResult result;
  ASSERT_TRUE(zf_->importData(path, nullptr, result)) << zf_->GetErrorMessage();
  EXPECT_EQ(result.accepted, 1) << "the sample row is a valid line";
  EXPECT_EQ(result.failureFile, "");
  EXPECT_EQ(zf_->getCount({}), 1);
  EXPECT_EQ(jt_->getCount({}), 0);
  EXPECT_FALSE(jt_->handTemplate(env_->dir().File("no/such/dir/t.xlsx")));
}

}  // namespace
}  // namespace velmor::testing
