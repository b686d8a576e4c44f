// The roster's workbooks through the loaded plug-in against the simulator: outside persons and
// phone numbers imported from LibreOffice-made templates (XLSX and XLS), the exports read back,
// and the unpaid list of a year.
#include <filesystem>

#include "scheme_fixture.h"
#include "velmor/dict_mgr.h"
#include "velmor/employee_unpaid.h"
#include "workbook/workbook.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;

std::string Fixture(const char* name) { return (fs::path(VELMOR_SOURCE_DIR) / "tests/roster/fixtures" / name).string(); }

class RosterWorkbooks : public SchemeFixture {
 protected:
  explicit RosterWorkbooks(const std::string& config = "") : SchemeFixture(12, 2, config) {}
  void SetUp() override {
    Ref<IDictMgr> dict = env_->plugin().CreateService<IDictMgr>();
    ASSERT_TRUE(dict->Update(kPayer, true)) << dict->GetErrorMessage();
    FullSync();
  }
  // A copy of a fixture in the data directory (the error workbook is written beside it).
  std::string Copy(const char* name) {
    const fs::path to = fs::path(env_->dataDir()) / name;
    fs::copy_file(Fixture(name), to, fs::copy_options::overwrite_existing);
    return to.string();
  }
  std::string Write(const char* name, const std::vector<std::vector<std::string>>& rows) {
    workbook::Workbook book;
    workbook::Sheet& s = book.AddSheet("Sheet1");
    for (uint32_t r = 0; r < rows.size(); ++r) s.SetRow(r, rows[r]);
    const std::string path = (fs::path(env_->dataDir()) / name).string();
    book.Save(path);
    return path;
  }
  std::string Person(const std::string& zjhm, const char* column) {
    return Scalar(std::string("select ") + column + " from sb_ryjbxxb where djxh = '" + kPayer + "' and zjhm = '" +
                  zjhm + "'");
  }
};

TEST_F(RosterWorkbooks, OutsidePersonsFromXlsxEachRowWithItsOutcome) {
  std::vector<TWbryImportEntity> rows;
  WorkbookImportResult result;
  std::string message;
  const std::string path = Copy("wbry.xlsx");
  ASSERT_TRUE(svc_->importWbry(kPayer, path, nullptr, rows, result, message)) << message;
  ASSERT_EQ(rows.size(), 6u) << "the empty row is no data row";
  EXPECT_EQ(rows[0].row, 2);
  EXPECT_EQ(rows[0].state, "2") << "unknown at the server, stored as not registered";
  EXPECT_EQ(rows[1].answer, "证件类型为居民身份证时，证件号码必须为15或18位，15位全为数字，18位前17位全为数字");
  EXPECT_EQ(rows[2].answer, "人员三要素不完整");
  EXPECT_EQ(rows[3].answer, "未获取到证件类型代码");
  EXPECT_EQ(rows[4].state, "2");
  EXPECT_EQ(rows[4].zjlx, "201") << "the ID type name trimmed and translated";
  EXPECT_EQ(rows[5].row, 8);
  EXPECT_EQ(rows[5].state, "2");
  EXPECT_EQ(result.accepted, 3);
  EXPECT_EQ(result.rejected, 3);

  // Every accepted person has the payer's one valid agency and its group path.
  const std::string agency = Scalar("select sbjbjgdm from sb_rycbjgxxb where djxh = '" + kPayer + "' limit 1");
  for (size_t i : {0u, 4u, 5u}) EXPECT_EQ(rows[i].sbjbjgdm, agency);
  EXPECT_EQ(Person("110101199001011234", "ly"), "1");
  EXPECT_EQ(Person("110101199001011234", "djzt"), "0");
  const std::string fzid = Person("110101199001011234", "fzid");
  EXPECT_EQ(Scalar("select fullname from sb_fzxxb where id = " + fzid), "一组/甲班") << "groups created by path";
  EXPECT_EQ(Person("11010119900101123x", "fullpath"),
            "," + Scalar("select id from sb_fzxxb where fullname = '一组'") + ",") << "an existing group is reused";
  EXPECT_EQ(Person("ABC123", "fzid"), "-1") << "a path that starts empty names no group";
  EXPECT_EQ(Count("select count(*) from sb_fzxxb where fzmc = '一组'"), 1);

  // The error workbook: beside the source, XLSX, the rejected rows with their message.
  EXPECT_EQ(fs::path(result.errorFile).filename().string(), "wbry_校验不通过.xlsx");
  auto back = workbook::ReadFirstSheetRows(result.errorFile);
  ASSERT_GE(back.size(), 5u);
  EXPECT_EQ(back[0][6], "错误信息");
  EXPECT_EQ(back[2][6], rows[1].answer);
  EXPECT_EQ(back[4][6], "未获取到证件类型代码");
  EXPECT_LE(back[1].size(), 6u) << "an accepted row carries no message";

  // The same file again: local persons are stored again in place (no duplicate rows), and the
  // error workbook takes the next free name.
  ASSERT_TRUE(svc_->importWbry(kPayer, path, nullptr, rows, result, message)) << message;
  EXPECT_EQ(fs::path(result.errorFile).filename().string(), "wbry_校验不通过(1).xlsx");
  EXPECT_EQ(Count("select count(*) from sb_ryjbxxb where zjhm = '110101199001011234'"), 1);
}

TEST_F(RosterWorkbooks, OutsidePersonsFromXlsAndServerPersonsRefused) {
  std::vector<TWbryImportEntity> rows;
  WorkbookImportResult result;
  std::string message;
  ASSERT_TRUE(svc_->importWbry(kPayer, Copy("wbry_again.xls"), nullptr, rows, result, message)) << message;
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].state, "2");
  EXPECT_EQ(Scalar("select fullname from sb_fzxxb where id = " + Person("110101199202021236", "fzid")),
            "二组/乙班/丙队");
  EXPECT_EQ(rows[1].answer, "证件类型为居民身份证时，证件号码必须为15或18位，15位全为数字，18位前17位全为数字");
  EXPECT_EQ(fs::path(result.errorFile).extension(), ".xlsx") << "XLSX content under an .xlsx name";

  // A person of this roster, and one the server knows under another payer.
  taxsim::Person mine = sim_.WithState([&](taxsim::State& s) { return s.PersonsOf(kPayer).first[0]; });
  taxsim::Person theirs =
      sim_.WithState([&](taxsim::State& s) { return s.PersonsOf(taxsim::GeneratedDjxh(2)).first[0]; });
  ASSERT_EQ(mine.zjlxDm, "201");
  const std::string path = Write("server.xlsx", {{"*姓名", "*证件类型", "*证件号码", "一级分组", "二级分组", "三级分组"},
                                                 {mine.xm, "居民身份证", mine.zjhm},
                                                 {theirs.xm, "居民身份证", theirs.zjhm}});
  ASSERT_TRUE(svc_->importWbry(kPayer, path, nullptr, rows, result, message)) << message;
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].answer, "与城乡居民参保信息更新菜单中数据重复");
  EXPECT_EQ(rows[1].state, "1");
  EXPECT_FALSE(rows[1].hh.empty());
}

TEST_F(RosterWorkbooks, WholeWorkbookRefusals) {
  std::vector<TWbryImportEntity> rows;
  WorkbookImportResult result;
  std::string message;
  const std::string header = Write("header.xlsx", {{"姓名", "证件类型", "证件号码"}, {"a", "居民身份证", "1"}});
  EXPECT_FALSE(svc_->importWbry(kPayer, header, nullptr, rows, result, message));
  EXPECT_EQ(message, "导入文件表头和模板不一致，请下载模板进行比对");
  const std::string empty = Write("empty.xlsx", {{"*姓名", "*证件类型", "*证件号码", "一级分组", "二级分组", "三级分组"}});
  EXPECT_FALSE(svc_->importWbry(kPayer, empty, nullptr, rows, result, message));
  EXPECT_EQ(message, "导入文件内容为空！");
  EXPECT_FALSE(svc_->ImportPhoneNumber(kPayer, header, nullptr, result, message));
  EXPECT_EQ(message, "导入文件表头和模板不一致，请下载模板进行比对");
  EXPECT_FALSE(svc_->importWbry(kPayer, (fs::path(env_->dataDir()) / "none.xlsx").string(), nullptr, rows, result,
                                message));
  EXPECT_EQ(message.rfind("导入异常：", 0), 0u) << message;
  EXPECT_NE(env_->LogText().find("[TEmployeeServiceImpl.importWbry]异常："), std::string::npos);
  EXPECT_EQ(Count("select count(*) from sb_ryjbxxb where ly = '1'"), 0);
}

TEST_F(RosterWorkbooks, PhoneNumbersChangeOnlyFilledCells) {
  std::vector<TWbryImportEntity> rows;
  WorkbookImportResult result;
  std::string message;
  ASSERT_TRUE(svc_->importWbry(kPayer, Copy("wbry.xlsx"), nullptr, rows, result, message)) << message;
  const std::string groupBefore = Person("110101199001011234", "fullpath");
  ASSERT_TRUE(dao_->UpdateBzxxById(std::stoi(Person("110101199001011234", "id")), "原备注"));

  ASSERT_TRUE(svc_->ImportPhoneNumber(kPayer, Copy("phones.xlsx"), nullptr, result, message)) << message;
  EXPECT_EQ(result.accepted, 2);
  EXPECT_EQ(result.rejected, 3);
  EXPECT_EQ(Person("110101199001011234", "phonenumber"), "13800138000");
  EXPECT_EQ(Person("110101199001011234", "fullpath"), groupBefore) << "a phone-only row keeps the group";
  EXPECT_EQ(Person("110101199001011234", "bzxx"), "原备注") << "and the remark";
  EXPECT_EQ(Scalar("select fullname from sb_fzxxb where id = " + Person("11010119900101123x", "fzid")), "三组");
  EXPECT_EQ(Person("11010119900101123x", "bzxx"), "补登");
  EXPECT_EQ(fs::path(result.errorFile).filename().string(), "phones_校验不通过.xlsx");
  auto back = workbook::ReadFirstSheetRows(result.errorFile);
  ASSERT_EQ(back.size(), 6u);
  EXPECT_EQ(back[3][8], "该人员不存在");
  EXPECT_EQ(back[4][8], "手机号码格式不正确");
  EXPECT_EQ(back[5][8], "姓名、证件类型或证件号码为空");
}

TEST_F(RosterWorkbooks, ExportsReadBack) {
  std::vector<TWbryImportEntity> rows;
  WorkbookImportResult result;
  std::string message;
  ASSERT_TRUE(svc_->importWbry(kPayer, Copy("wbry.xlsx"), nullptr, rows, result, message)) << message;
  const std::string out = (fs::path(env_->dataDir()) / "roster.xlsx").string();
  int32_t count = 0;
  RyListFilter local;
  local.ly = RyOrigin::kLocal;
  ASSERT_TRUE(svc_->exportData(kPayer, local, out, count, message)) << message;
  EXPECT_EQ(count, 3);
  workbook::Workbook book = workbook::Workbook::Open(out);
  const workbook::Sheet& sheet = book.FirstSheet();
  EXPECT_EQ(sheet.RowText(0)[3], "手机号码");
  ASSERT_EQ(sheet.RowCount(), 4u);
  bool found = false;
  for (uint32_t r = 1; r < 4; ++r) {
    auto cells = sheet.RowText(r);
    if (cells[2] != "110101199001011234") continue;
    found = true;
    EXPECT_EQ(cells[1], "居民身份证");
    EXPECT_EQ(cells[4], "一组");
    EXPECT_EQ(cells[5], "甲班");
  }
  EXPECT_TRUE(found);
  EXPECT_FALSE(sheet.validations().empty()) << "the ID-type dropdown";
  // The export is a phone-number template: it imports again unchanged.
  ASSERT_TRUE(svc_->ImportPhoneNumber(kPayer, out, nullptr, result, message)) << message;
  EXPECT_EQ(result.rejected, 0);
  EXPECT_EQ(result.accepted, 3);

  const std::string zzsb = (fs::path(env_->dataDir()) / "zzsb.xlsx").string();
  ASSERT_TRUE(svc_->exportData_zzsb(kPayer, zzsb, count, message)) << message;
  EXPECT_EQ(count, Count("select count(*) from sb_rycbxmb where djxh = '" + kPayer + "'"));
  EXPECT_GT(count, 0);
  auto items = workbook::ReadFirstSheetRows(zzsb);
  EXPECT_EQ(items.size(), static_cast<size_t>(count) + 1);
  EXPECT_EQ(items[0][4], "人员编号");
  EXPECT_FALSE(svc_->exportData(kPayer, local, "", count, message));
  EXPECT_EQ(message, "请指定导出文件。");
}

class RosterWorkbooks4403 : public RosterWorkbooks {
 protected:
  RosterWorkbooks4403() : RosterWorkbooks("[syspzxx]\nregion_code = 4403\n") {}
};

TEST_F(RosterWorkbooks4403, ThreeGroupLevelsRefusedFiveAccepted) {
  std::vector<TWbryImportEntity> rows;
  WorkbookImportResult result;
  std::string message;
  EXPECT_FALSE(svc_->importWbry(kPayer, Copy("wbry.xlsx"), nullptr, rows, result, message));
  EXPECT_EQ(message, "导入文件表头和模板不一致，请下载模板进行比对");
  const std::string path = Write("five.xlsx", {{"*姓名", "*证件类型", "*证件号码", "一级分组", "二级分组", "三级分组",
                                                "四级分组", "五级分组"},
                                               {"郑九", "居民身份证", "110101199303031237", "a", "b", "c", "d", "e"}});
  ASSERT_TRUE(svc_->importWbry(kPayer, path, nullptr, rows, result, message)) << message;
  EXPECT_EQ(Scalar("select fullname from sb_fzxxb where id = " + Person("110101199303031237", "fzid")), "a/b/c/d/e");
}

class Unpaid : public SchemeFixture {
 protected:
  Unpaid() : SchemeFixture(6, 1) {}
};

TEST_F(Unpaid, AYearsListLeavesOutRegisteredAndStoppedItems) {
  FullSync();
  Ref<IEmployeeUnpaidService> unpaid = env_->plugin().CreateService<IEmployeeUnpaidService>();
  ASSERT_TRUE(unpaid);
  const std::string year = "2030";
  auto list = [&](const std::string& y) {
    UnpaidFilter f;
    f.jfnd = y;
    std::vector<TEmployeeUnpaidEntity> rows;
    EXPECT_TRUE(unpaid->getData(kPayer, f, -1, 0, rows)) << unpaid->GetErrorMessage();
    return rows;
  };
  const size_t running = static_cast<size_t>(
      Count("select count(*) from sb_rycbxmb where djxh = '" + kPayer + "' and yxbz = 'Y' and (tzjfyf = '' or "
            "substr(tzjfyf,1,4) >= '" + year + "') and (ksjfyf = '' or substr(ksjfyf,1,4) <= '" + year + "')"));
  std::vector<TEmployeeUnpaidEntity> before = list(year);
  EXPECT_EQ(before.size(), running);
  ASSERT_FALSE(before.empty());
  // One item stopped long ago, one registered for the year.
  const TEmployeeUnpaidEntity stopped = before.front(), paid = before.back();
  ASSERT_TRUE(dao_->ExecSQL("update sb_rycbxmb set tzjfyf = '2019-12' where xzid = '" + stopped.xzid + "'"));
  ASSERT_TRUE(dao_->ExecSQL("insert into ds_sbjfrydjxxb (djxh, rydjxh, zsxmdm, zspmdm, zszmdm, jfnd) values ('" +
                            kPayer + "', '" + paid.rydjxh + "', '" + paid.zsxmdm + "', '" + paid.zspmdm + "', '" +
                            paid.zszmdm + "', '" + year + "')"));
  std::vector<TEmployeeUnpaidEntity> after = list(year);
  for (const auto& r : after) {
    EXPECT_NE(r.xzid, stopped.xzid) << "stopped in 2019, not unpaid in " << year;
    EXPECT_FALSE(r.rydjxh == paid.rydjxh && r.zspmdm == paid.zspmdm) << "registered for the year";
  }
  bool stoppedIn2019 = false;
  for (const auto& r : list("2019")) stoppedIn2019 |= r.xzid == stopped.xzid;
  EXPECT_TRUE(stoppedIn2019 || stopped.ksjfyf.substr(0, 4) > "2019") << "still unpaid in the year it ran";

  const std::string out = (fs::path(env_->dataDir()) / "unpaid.xlsx").string();
  int32_t count = 0;
  UnpaidFilter f;
  f.jfnd = year;
  ASSERT_TRUE(unpaid->exportData(kPayer, f, out, count)) << unpaid->GetErrorMessage();
  EXPECT_EQ(static_cast<size_t>(count), after.size());
  EXPECT_EQ(workbook::ReadFirstSheetRows(out).size(), after.size() + 1);
}

}  // namespace
}  // namespace velmor::testing
