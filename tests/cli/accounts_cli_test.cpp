// `velmor residents collection` and `velmor residents medical-accounts` on a fresh data directory
// against the simulator, as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/cli_on_simulator.h"

namespace velmor::testing {
namespace {

class AccountsCli : public CliOnSimulator {
 protected:
  AccountsCli() : CliOnSimulator(8) {}
};

TEST_F(AccountsCli, HelpShowsExamples) {
  for (const char* cmd : {"collection", "medical-accounts"}) {
    ProcessResult help = Run({"residents", cmd, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find(std::string("velmor residents ") + cmd), std::string::npos) << help.out;
  }
}

TEST_F(AccountsCli, CollectionUnitsArePrintedAndExportedFromTheInstalledTemplate) {
  EXPECT_TRUE(std::filesystem::exists(dir_.File("data") + "/M8/Templates/Export/通用导出模板.xlsx"))
      << "velmor init installs the template";
  const std::string file = dir_.File("units.xlsx");
  ProcessResult units = Run({"residents", "collection", "units", "--jfnd", "2024", "--export", file});
  ASSERT_EQ(units.exitCode, 0) << units.err;
  EXPECT_EQ(units.out.rfind("dwbh\tdwmc\tcbrs", 0), 0u) << "piped: TSV with the store's keys\n" << units.out;
  EXPECT_NE(units.out.find("已导出：" + file), std::string::npos) << units.out;
  EXPECT_TRUE(std::filesystem::exists(file));
  ProcessResult none = Run({"residents", "collection", "units", "--jfnd", "1990"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.err.find("查询无数据"), std::string::npos) << none.err;
  ProcessResult bad = Run({"residents", "collection", "persons", "--jfnd", "2024", "--dwbh", "NOPE"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("未找到单位：NOPE"), std::string::npos) << bad.err;
}

TEST_F(AccountsCli, MedicalAccountsSyncAndList) {
  ProcessResult early = Run({"residents", "medical-accounts", "sync"});
  EXPECT_EQ(early.exitCode, 1);
  EXPECT_NE(early.err.find("请先下载虚拟户信息"), std::string::npos) << early.err;
  ASSERT_EQ(Run({"scheme", "sync"}).exitCode, 0);
  ProcessResult sync = Run({"residents", "medical-accounts", "sync"});
  ASSERT_EQ(sync.exitCode, 0) << sync.err;
  EXPECT_EQ(sync.out, "已下载 8 名居民\n");
  ProcessResult list = Run({"residents", "medical-accounts", "list", "--page", "-1"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_NE(list.out.find("sfzjhm"), std::string::npos) << list.out;
  EXPECT_EQ(list.err.rfind("共 ", 0), 0u) << list.err;
  ProcessResult relations = Run({"residents", "medical-accounts", "relations"});
  EXPECT_EQ(relations.exitCode, 0) << relations.err;
}

}  // namespace
}  // namespace velmor::testing
