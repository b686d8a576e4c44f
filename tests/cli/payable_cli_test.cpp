// `velmor payable` from a fresh data directory against the simulator, as a user would run it:
// download twice, list, sum, export, declare a notice electronically and fetch the feedback.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/cli_on_simulator.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "taxsim/simulator.h"

namespace velmor::testing {
namespace {

const std::string& kPayer = kCliDjxh;

taxsim::SimulatorOptions TwoPersons() {
  taxsim::SimulatorOptions o;
  o.generate.persons = 2;
  return o;
}

class PayableCli : public CliOnSimulator {
 protected:
  PayableCli() : CliOnSimulator(TwoPersons(), {}) {}
};

TEST_F(PayableCli, SyncTwiceListStatsExport) {
  ProcessResult first = Run({"payable", "sync", "--year", "2026"});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(first.out, m, std::regex("已保存 2026 年度应缴信息 (\\d+) 条"))) << first.out;
  const std::string count = m[1];
  ProcessResult again = Run({"payable", "sync", "--batch", "--keep-validity"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  ProcessResult list = Run({"payable", "list", "--page", "-1"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_NE(list.err.find("共 " + count + " 条应缴信息"), std::string::npos) << "one copy:\n" << list.out;
  ProcessResult stats = Run({"payable", "stats"});
  EXPECT_NE(stats.out.find("条数 " + count + "，"), std::string::npos) << stats.out;
  EXPECT_NE(stats.out.find("[\"2026\"]"), std::string::npos) << stats.out;
  ASSERT_EQ(Run({"payable", "export", dir_.File("p.xlsx"), "--validity"}).exitCode, 0);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("p.xlsx")));
}

TEST_F(PayableCli, DeclareANoticeAndFetchItsFeedback) {
  ASSERT_EQ(Run({"payable", "sync"}).exitCode, 0);
  ProcessResult declared = Run({"payable", "declare", "ZJ2026-1", "--remark", "电子申报"});
  ASSERT_EQ(declared.exitCode, 0) << declared.err;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(declared.out, m, std::regex("流水号 (\\d+)；"))) << declared.out;
  const std::string yblsh = m[1];
  ProcessResult fk = Run({"payable", "feedback", yblsh});
  ASSERT_EQ(fk.exitCode, 0) << fk.err;
  EXPECT_NE(fk.out.find("申报成功，应征凭证序号 3"), std::string::npos) << fk.out;

  ProcessResult none = Run({"payable", "declare", "NO-SUCH"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.err.find("待申报明细列表为空。"), std::string::npos) << none.err;
  ProcessResult unknown = Run({"payable", "feedback", "NO-SUCH"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_NE(unknown.err.find("未找到流水号[NO-SUCH]的申报记录。"), std::string::npos) << unknown.err;
}

TEST(PayableCliNoData, AListWithoutADataDirectoryMakesNone) {
  TempDir dir;
  ProcessResult r = RunProcess({kVelmor, "--data", dir.File("missing"), "payable", "list"});
  EXPECT_NE(r.exitCode, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
}

}  // namespace
}  // namespace velmor::testing
