// Payment receipts through the exports: the import of office-made workbooks (XLSX and XLS), its
// header check and row messages, re-imports that add nothing, the register's list with the
// roster's rydjxh, deletion limited to the payer, and the template.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "support/host_fixture.h"
#include "velmor/employee_dao.h"
#include "velmor/jfpj_dao.h"
#include "velmor/jfpj_service.h"
#include "workbook/workbook.h"

namespace velmor::testing {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

const std::string kPayer = "10000000000000000001";

std::string Fixture(const char* name) { return (fs::path(VELMOR_SOURCE_DIR) / "tests/receipts/fixtures" / name).string(); }

class ReceiptsTest : public ::testing::Test {
 protected:
  ReceiptsTest() : env_(std::make_unique<LoadedPlugin>("[portal]\ndjxh = " + kPayer + "\n")) {
    service_ = env_->plugin().CreateService<IJfpjService>();
    dao_ = env_->plugin().CreateService<IJfpjDAO>();
    roster_ = env_->plugin().CreateService<IEmployeeDao>();
  }
  ~ReceiptsTest() override {
    service_ = nullptr;
    dao_ = nullptr;
    roster_ = nullptr;
    env_.reset();
  }

  json Import(const std::string& path, json& rejected) {
    std::string valid, bad, message;
    EXPECT_TRUE(service_->ImportXls(path, valid, bad, message)) << message;
    rejected = json::parse(bad);
    return json::parse(valid);
  }
  json All() { return json::parse(service_->GetData("", -1, 20)); }
  std::string Temp(const char* name) { return (fs::path(env_->dataDir()) / name).string(); }

  std::unique_ptr<LoadedPlugin> env_;
  Ref<IJfpjService> service_;
  Ref<IJfpjDAO> dao_;
  Ref<IEmployeeDao> roster_;
};

TEST_F(ReceiptsTest, OfficeWorkbookRowsAreCheckedInOrder) {
  json rejected;
  json valid = Import(Fixture("receipts.xlsx"), rejected);
  ASSERT_EQ(valid.size(), 3u) << valid.dump();
  EXPECT_EQ(valid[0]["xm"], "张三");
  EXPECT_EQ(valid[1]["xm"], "欧阳·娜娜");
  EXPECT_EQ(valid[1]["jfrq"], "2025-04-01");  // a date cell
  EXPECT_EQ(valid[2]["fkssqq"], "2024-07");
  EXPECT_EQ(valid[2]["jfrq"], "2025-01-08");
  const std::vector<std::string> messages = {"姓名列不可为空",           "姓名请输入汉字或特殊字符-中间符·",
                                             "证件号码请输入数字或字母", "费款所属期起止格式必须为yyyy-mm",
                                             "费款所属期起不能晚于费款所属期止", "缴费金额不正确",
                                             "缴费金额不正确",           "缴费日期格式必须为yyyy-mm-dd"};
  ASSERT_EQ(rejected.size(), messages.size()) << rejected.dump();
  for (size_t i = 0; i < messages.size(); ++i) EXPECT_EQ(rejected[i]["errormsg"], messages[i]) << i;
  EXPECT_EQ(rejected[0]["row"], 4);
  EXPECT_EQ(rejected[1]["col_0"], "Tom");
  EXPECT_EQ(rejected[6]["col_8"], "abc");  // not stored as 0.00
  EXPECT_EQ(rejected[1]["col_9"], "2025-03-15");

  json rows = All();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]["xm"], "吴十");  // by name (code point order)
  EXPECT_EQ(rows[1]["xm"], "张三");
  EXPECT_EQ(rows[1]["zjhm"], "11010119900101123X");  // type 201: upper case
  EXPECT_EQ(rows[1]["jfje"], "300.5");
  EXPECT_EQ(rows[1]["drrq"].get<std::string>().size(), 10u);
}

TEST_F(ReceiptsTest, ImportingAgainAddsNoDuplicateWhateverTheCaseOfX) {
  json rejected;
  Import(Fixture("receipts.xlsx"), rejected);
  ASSERT_EQ(service_->GetCount(""), 3);
  Import(Fixture("receipts_again.xls"), rejected);
  EXPECT_EQ(service_->GetCount(""), 3);
  Import(Fixture("receipts.xlsx"), rejected);
  EXPECT_EQ(service_->GetCount(""), 3);
  int32_t added = -1;
  std::string message;
  ASSERT_TRUE(service_->SaveData(R"([{"xm":"张三","zjlx":"201","zjhm":"11010119900101123x","sbjbjgmc":"城乡居民社保经办机构",
      "zsxmmc":"城乡居民基本养老保险","zspmmc":"养老保险费","fkssqq":"2025-01","fkssqz":"2025-12","jfje":"300.50",
      "jfrq":"2025-03-15"}])", added, message)) << message;
  EXPECT_EQ(added, 0);
  EXPECT_FALSE(service_->SaveData(R"([{"xm":"张三","zjlx":"201","zjhm":"1","jfje":"abc"}])", added, message));
  EXPECT_EQ(message.rfind("数据库保存异常：", 0), 0u) << message;
  EXPECT_EQ(service_->GetCount(""), 3);
}

TEST_F(ReceiptsTest, FileAndHeaderFailures) {
  std::string valid, rejected, message;
  const std::string missing = Temp("无此文件.xlsx");
  EXPECT_FALSE(service_->ImportXls(missing, valid, rejected, message));
  EXPECT_EQ(message, missing + "不存在。");

  workbook::Workbook book;
  workbook::Sheet& sheet = book.AddSheet("缴费票据");
  sheet.SetHeader({"*证件类型", "*姓名", "*证件号码", "*社保经办机构", "*征收项目", "*征收品目", "*费款所属期起",
                   "*费款所属期止", "*缴费金额", "*缴费日期"});
  sheet.AppendRow({"201", "张三", "1", "a", "b", "c", "2025-01", "2025-01", "1", "2025-01-01"});
  book.Save(Temp("swapped.xlsx"));
  EXPECT_FALSE(service_->ImportXls(Temp("swapped.xlsx"), valid, rejected, message));
  EXPECT_EQ(message, "导入文件表头和模板不一致，请下载模板进行比对");
  EXPECT_EQ(service_->GetCount(""), 0);

  std::ofstream(Temp("broken.xlsx")) << "not a workbook";
  EXPECT_FALSE(service_->ImportXls(Temp("broken.xlsx"), valid, rejected, message));
  EXPECT_EQ(message.rfind("[TJfpjService.ImportXls]异常：", 0), 0u) << message;
}

TEST_F(ReceiptsTest, TemplateIsTheHeaderTheImportExpects) {
  std::string message;
  ASSERT_TRUE(service_->DealXlsTemplate(Temp("template.xlsx"), message)) << message;
  auto rows = workbook::ReadFirstSheetRows(Temp("template.xlsx"));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "*姓名");
  EXPECT_EQ(rows[0][9], "*缴费日期");
  std::string valid, rejected;
  // Only a header: imports nothing and fails nothing.
  ASSERT_TRUE(service_->ImportXls(Temp("template.xlsx"), valid, rejected, message)) << message;
  EXPECT_EQ(valid, "[]");
  EXPECT_FALSE(service_->DealXlsTemplate(Temp("template.xls"), message));
  EXPECT_EQ(message, "模板文件须为.xlsx格式。");
}

TEST_F(ReceiptsTest, ListFiltersFindsTheRosterPersonAndDeletesOnlyThePayersOwn) {
  ASSERT_TRUE(roster_->ExecSQL("insert into sb_ryjbxxb (djxh, rydjxh, xm, zjlx, zjhm) values ('" + kPayer +
                               "', 'RY001', '张三', '201', '11010119900101123x')"));
  json rejected;
  Import(Fixture("receipts.xlsx"), rejected);
  EXPECT_EQ(service_->GetCount(R"({"xm":"张"})"), 1);
  EXPECT_EQ(service_->GetCount(R"({"zjhm":"123X"})"), 1);
  EXPECT_EQ(service_->GetCount(R"({"jfrqq":"2025-03-01","jfrqz":"2025-03-31"})"), 1);
  EXPECT_EQ(service_->GetCount(R"({"zjlx":"990"})"), 1);
  EXPECT_EQ(service_->GetCount(R"({"xm":"O'Neil"})"), 0);
  EXPECT_EQ(service_->GetCount("[1]"), -1);
  json rows = All();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]["rydjxh"], "");
  EXPECT_EQ(rows[1]["xm"], "张三");
  EXPECT_EQ(rows[1]["rydjxh"], "RY001");
  json page = json::parse(service_->GetData("", 2, 2));
  ASSERT_EQ(page.size(), 1u);

  // Another payer's delete of these ids removes nothing.
  const std::string id = rows[0]["id"];
  ASSERT_TRUE(dao_->DeleteData("other", "[" + id + "]"));
  EXPECT_EQ(service_->GetCount(""), 3);
  std::string message;
  ASSERT_TRUE(service_->DeleteData("[" + id + ", \"" + rows[1]["id"].get<std::string>() + "\"]", message)) << message;
  EXPECT_EQ(service_->GetCount(""), 1);
  EXPECT_FALSE(service_->DeleteData(R"([1, "1 or 1=1"])", message));
  EXPECT_EQ(message, "数据库删除失败。");
  EXPECT_EQ(service_->GetCount(""), 1);
}

}  // namespace
}  // namespace velmor::testing
