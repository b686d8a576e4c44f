// `velmor scheme sync` and `velmor roster ...` (workbooks, details and the unpaid list too) on a fresh
// data directory against the simulator.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/cli_on_simulator.h"
#include "taxsim/simulator.h"

namespace velmor::testing {
namespace {

class RosterCli : public CliOnSimulator {
 protected:
  RosterCli() : CliOnSimulator(FortyPersons(), {}) {}
  static taxsim::SimulatorOptions FortyPersons() {
    taxsim::SimulatorOptions o;
    o.threads = 4;
    o.asyncPendingPolls = 1;
    o.generate = {.persons = 40, .payers = 1, .seed = 5};
    return o;
  }
};

TEST_F(RosterCli, SyncListCountAndRefresh) {
  ProcessResult scheme = Run({"scheme", "sync"});
  ASSERT_EQ(scheme.exitCode, 0) << scheme.err;
  EXPECT_NE(scheme.out.find("险种类型 110,310,410"), std::string::npos) << scheme.out;

  ProcessResult sync = Run({"roster", "sync", "--full"});
  ASSERT_EQ(sync.exitCode, 0) << sync.err;
  EXPECT_EQ(sync.out.rfind("花名册已保存：40人，", 0), 0u) << sync.out;
  EXPECT_NE(sync.err.find("roster sync"), std::string::npos) << "the progress display";

  ProcessResult count = Run({"roster", "count"});
  ASSERT_EQ(count.exitCode, 0) << count.err;
  EXPECT_EQ(count.out.rfind("persons\tlocal\tserver\titems\n40\t0\t40\t", 0), 0u) << count.out;

  {
    // A store whose roster table cannot be read fails the count instead of printing -1.
    TempDir copy;
    std::filesystem::copy(dir_.File("data"), copy.File("data"), std::filesystem::copy_options::recursive);
    ProcessResult damage = RunProcess({"/usr/bin/sqlite3", copy.File("data/velmor.db"),
                                       "drop table sb_ryjbxxb; create table sb_ryjbxxb (x text);"});
    ASSERT_EQ(damage.exitCode, 0) << damage.err;
    ProcessResult broken = RunProcess({kVelmor, "--data", copy.File("data"), "roster", "count"});
    EXPECT_EQ(broken.exitCode, 1) << broken.out;
    EXPECT_EQ(broken.out.find("-1"), std::string::npos) << broken.out;
  }

  ProcessResult list = Run({"roster", "list", "--state", "1", "--page", "2", "--size", "15"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 16) << "a head line and 15 persons\n" << list.out;
  EXPECT_EQ(list.out.rfind("id\txm\tzjlx\tzjhm\t", 0), 0u) << list.out;
  EXPECT_EQ(list.err, "共 40 人符合条件\n");
  ProcessResult json = Run({"roster", "list", "--state", "1", "--size", "40", "--format", "json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const nlohmann::json all = nlohmann::json::parse(json.out);
  ASSERT_EQ(all.size(), 40u);
  EXPECT_EQ(all[0]["cbzt"], "1 参保中") << "code and name";
  EXPECT_NE(all[0]["ly"].get<std::string>().find("服务器下载"), std::string::npos) << all[0]["ly"];
  // The page of --page 2 --size 15 is rows 16..30 of the whole list.
  EXPECT_NE(list.out.find("\n" + all[15]["id"].get<std::string>() + "\t"), std::string::npos);
  EXPECT_EQ(list.out.find("\n" + all[14]["id"].get<std::string>() + "\t"), std::string::npos);
  ProcessResult fields = Run({"roster", "list", "--size", "2", "--fields", "zjhm,xm"});
  EXPECT_EQ(fields.out.rfind("zjhm\txm\n", 0), 0u) << fields.out;

  EXPECT_EQ(Run({"roster", "refresh-states"}).out, "参保状态今日已计算，无需重算\n");
  EXPECT_EQ(Run({"roster", "refresh-states", "--force"}).out, "参保状态已重新计算\n");
  ProcessResult inc = Run({"roster", "sync"});
  ASSERT_EQ(inc.exitCode, 0) << inc.err;
}

TEST_F(RosterCli, CheckNameAndFailures) {
  ProcessResult ok = Run({"roster", "check-name", "张三"});
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_EQ(ok.out, "姓名有效。\n");
  ProcessResult bad = Run({"roster", "check-name", "12345"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.out, "姓名不能是纯数字。\n");

  ProcessResult none = Run({"roster", "sync", "--djxh", "10000000000000000999"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.err.find("\nvelmor: 未获取到险种信息。 (see "), std::string::npos) << none.err;
}

std::string Fixture(const char* name) {
  return (std::filesystem::path(VELMOR_SOURCE_DIR) / "tests/roster/fixtures" / name).string();
}

TEST_F(RosterCli, TemplateImportExportDetailsAndUnpaid) {
  ProcessResult tpl = Run({"roster", "template", dir_.File("t.xlsx")});
  ASSERT_EQ(tpl.exitCode, 0) << tpl.err;
  EXPECT_TRUE(std::filesystem::is_regular_file(dir_.File("t.xlsx")));
  ASSERT_EQ(Run({"roster", "template", dir_.File("p.xlsx"), "--phones"}).exitCode, 0);

  ASSERT_EQ(Run({"dict", "update"}).exitCode, 0);
  ASSERT_EQ(Run({"scheme", "sync"}).exitCode, 0);
  ASSERT_EQ(Run({"roster", "sync", "--full"}).exitCode, 0);

  std::filesystem::copy_file(Fixture("wbry.xlsx"), dir_.File("wbry.xlsx"));
  ProcessResult imp = Run({"roster", "import", dir_.File("wbry.xlsx")});
  ASSERT_EQ(imp.exitCode, 0) << imp.err;
  EXPECT_NE(imp.out.find("人员导入：成功 3 条，失败 3 条"), std::string::npos) << imp.out;
  EXPECT_NE(imp.out.find("wbry_校验不通过.xlsx"), std::string::npos) << imp.out;
  EXPECT_NE(imp.err.find("第3行：证件类型为居民身份证时"), std::string::npos) << imp.err;

  std::filesystem::copy_file(Fixture("phones.xlsx"), dir_.File("phones.xlsx"));
  ProcessResult phones = Run({"roster", "import-phones", dir_.File("phones.xlsx")});
  ASSERT_EQ(phones.exitCode, 0) << phones.err;
  EXPECT_NE(phones.out.find("手机号码导入：成功 2 条，失败 3 条"), std::string::npos) << phones.out;

  ProcessResult header = Run({"roster", "import-phones", dir_.File("wbry.xlsx")});
  EXPECT_EQ(header.exitCode, 1);
  EXPECT_NE(header.err.find("导入文件表头和模板不一致，请下载模板进行比对"), std::string::npos) << header.err;

  ProcessResult exp = Run({"roster", "export", dir_.File("roster.xlsx")});
  ASSERT_EQ(exp.exitCode, 0) << exp.err;
  EXPECT_NE(exp.out.find("已导出人员 43 条"), std::string::npos) << exp.out;
  ProcessResult zzsb = Run({"roster", "export", dir_.File("items.xlsx"), "--form", "zzsb"});
  ASSERT_EQ(zzsb.exitCode, 0) << zzsb.err;
  EXPECT_TRUE(std::filesystem::is_regular_file(dir_.File("items.xlsx")));
  EXPECT_EQ(Run({"roster", "export", dir_.File("x.xlsx"), "--form", "other"}).exitCode, 2);

  // The first server person's detail.
  ProcessResult list = Run({"roster", "list", "--state", "1", "--size", "1", "--format", "json"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  const std::string rydjxh = nlohmann::json::parse(list.out).at(0).at("rydjxh");
  ProcessResult details = Run({"roster", "details", rydjxh});
  ASSERT_EQ(details.exitCode, 0) << details.err;
  EXPECT_NE(details.out.find("\"yxbzmc\":\"有效\""), std::string::npos) << details.out;

  ProcessResult unpaid = Run({"roster", "unpaid", "--year", "2030"});
  ASSERT_EQ(unpaid.exitCode, 0) << unpaid.err;
  EXPECT_NE(unpaid.err.find("2030 年度共"), std::string::npos) << unpaid.err;
  ProcessResult unpaidX = Run({"roster", "unpaid", "--year", "2030", "--export", dir_.File("u.xlsx")});
  ASSERT_EQ(unpaidX.exitCode, 0) << unpaidX.err;
  EXPECT_TRUE(std::filesystem::is_regular_file(dir_.File("u.xlsx")));
  EXPECT_EQ(Run({"roster", "unpaid"}).exitCode, 2) << "--year is required";
}

TEST_F(RosterCli, ReadOnlyCommandsCreateNoDataDirectory) {
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"roster", "template", dir_.File("t.xlsx")}, {"roster", "details", "R1"}, {"roster", "unpaid", "--year", "2025"}}) {
    args.insert(args.begin(), {kVelmor, "--data", dir_.File("missing")});
    ProcessResult r = RunProcess(args);
    EXPECT_NE(r.exitCode, 0) << args[3];
    EXPECT_FALSE(std::filesystem::exists(dir_.File("missing"))) << args[3];
  }
  ProcessResult none = Run({"roster", "import", dir_.File("none.xlsx")});
  EXPECT_EQ(none.exitCode, 2) << "a file that does not exist is a usage error";
}

}  // namespace
}  // namespace velmor::testing
