// `velmor group` from a fresh data directory against the simulator, as a collective payer would
// use it: download, template and import (with a failure workbook), declare, verdict, records,
// payment state and void; and its errors.
#include <gtest/gtest.h>

#include <filesystem>

#include <xlsxwriter.h>

#include "support/cli_on_simulator.h"
#include "taxsim/group_accounts.h"
#include "taxsim/simulator.h"

namespace velmor::testing {
namespace {

const std::string kExample = std::string(VELMOR_SOURCE_DIR) + "/examples/group-lines.json";

class GroupCli : public CliOnSimulator {
 protected:
  GroupCli() : CliOnSimulator(taxsim::SimulatorOptions{}, {}, taxsim::GroupDjxh("8", 1)) {}
};

TEST_F(GroupCli, DownloadImportDeclareFollowAndVoid) {
  ProcessResult help = Run({"group", "--help"});
  ASSERT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("velmor group declare --office"), std::string::npos) << "an example";
  ProcessResult sync = Run({"group", "sync"});
  ASSERT_EQ(sync.exitCode, 0) << sync.err;
  EXPECT_NE(sync.out.find("已下载登记信息"), std::string::npos);

  const std::string book = dir_.File("lines.xlsx");
  ASSERT_EQ(Run({"group", "template", book}).exitCode, 0);
  ProcessResult imported = Run({"group", "import", book});
  ASSERT_EQ(imported.exitCode, 0) << imported.err;
  EXPECT_EQ(imported.out, "导入成功 1 条，失败 0 条\n");
  ProcessResult added = Run({"group", "add", kExample});
  ASSERT_EQ(added.exitCode, 0) << added.err;
  EXPECT_EQ(added.out, "已添加 2 条\n");
  ProcessResult lines = Run({"group", "lines"});
  EXPECT_NE(lines.err.find("合计 3 条，1140.00 元"), std::string::npos) << lines.err;

  ProcessResult declared =
      Run({"group", "declare", "--office", "11101000001", "--agency", "11101000001", "--year", "2024"});
  ASSERT_EQ(declared.exitCode, 0) << declared.err;
  EXPECT_EQ(declared.out, "申报已受理：ID 1（用 velmor group verdict 1 获取结果）\n");
  ProcessResult verdict = Run({"group", "verdict", "1"});
  ASSERT_EQ(verdict.exitCode, 0) << verdict.err;
  EXPECT_EQ(verdict.out, "申报 1：状态 2 申报成功\n");
  ProcessResult records = Run({"group", "records", "--sync", "--from", "2026-01-01", "--to", "2026-12-31"});
  ASSERT_EQ(records.exitCode, 0) << records.err;
  EXPECT_NE(records.out.find("2026-01-15"), std::string::npos) << records.out;
  ProcessResult voided = Run({"group", "void", "1"});
  ASSERT_EQ(voided.exitCode, 0) << voided.err;
  EXPECT_EQ(voided.out, "申报 1 已作废\n");

  ProcessResult other = Run({"group", "--government", "--djxh", taxsim::GroupDjxh("9", 1), "lines"});
  EXPECT_NE(other.err.find("合计 0 条"), std::string::npos) << "the government account sees none of them";
  ProcessResult missing = Run({"group", "verdict", "9"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("未找到申报记录[9]。"), std::string::npos) << missing.err;
}

TEST_F(GroupCli, AnImportWithBadRowsSaysWhereTheFailureWorkbookWent) {
  const std::string path = dir_.File("import.xlsx");
  const std::vector<std::vector<std::string>> rows = {
      {"缴费年度", "社保经办机构", "单位编号", "人员编号", "险种类型", "姓名", "证件类型", "证件号码", "应缴费额"},
      {"2024", "11101000001", "JT801", "RY1", "1", "张三", "201", "110101199001010011", "380"},
      {"2024", "11101000001", "JT801", "RY2", "1", "李四", "201", "110101199001010022", "-1"}};
  lxw_workbook* wb = workbook_new(path.c_str());
  lxw_worksheet* sheet = workbook_add_worksheet(wb, nullptr);
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c)
      worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), rows[r][c].c_str(), nullptr);
  ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
  ProcessResult imported = Run({"group", "import", path});
  ASSERT_EQ(imported.exitCode, 0) << imported.err;
  EXPECT_EQ(imported.out, "导入成功 1 条，失败 1 条\n失败的行及原因已写入：" + dir_.File("导入失败文件.xlsx") + "\n");
  EXPECT_TRUE(std::filesystem::exists(dir_.File("导入失败文件.xlsx")));
  ProcessResult missing = Run({"group", "import", dir_.File("missing.xlsx")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_FALSE(missing.err.empty());
}

}  // namespace
}  // namespace velmor::testing
