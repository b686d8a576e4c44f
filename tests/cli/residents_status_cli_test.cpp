// `velmor residents status ...` and `velmor residents states ...` on a fresh data directory against
// the simulator, as a user runs them: the query with its waiting question answered by the flags,
// the listing, the export, the year check's notice, and the state store.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/cli_on_simulator.h"

namespace velmor::testing {
namespace {

class ResidentsStatusCli : public CliOnSimulator {
 protected:
  ResidentsStatusCli() : CliOnSimulator(8, {"-q"}) {}
  void Sync() {
    ASSERT_EQ(Run({"scheme", "sync"}).exitCode, 0);
    ProcessResult sync = Run({"roster", "sync", "--full"});
    ASSERT_EQ(sync.exitCode, 0) << sync.err;
  }
};

TEST_F(ResidentsStatusCli, QueryListCountExportAndStates) {
  ProcessResult none = Run({"residents", "status", "query", "--year", "2024"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.err.find("本地不存在城乡居民参保登记信息"), std::string::npos) << none.err;
  EXPECT_EQ(Run({"residents", "status", "query", "--year", "24"}).exitCode, 2);
  EXPECT_EQ(Run({"residents", "status", "query", "--year", "2024", "--wait", "--no-wait"}).exitCode, 2);

  Sync();
  ProcessResult query = Run({"residents", "status", "query", "--year", "2024", "--no-wait"});
  ASSERT_EQ(query.exitCode, 0) << query.err;
  EXPECT_NE(query.out.find("已查询"), std::string::npos) << query.out;
  ProcessResult list = Run({"residents", "status", "list", "--year", "2024", "--page", "-1"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_NE(list.out.find("已申报"), std::string::npos) << list.out;
  EXPECT_NE(Run({"residents", "status", "count", "--state", "declared"}).out.find("共"), std::string::npos);
  const std::string file = dir_.File("status.xlsx");
  EXPECT_EQ(Run({"residents", "status", "export", file, "--year", "2024"}).exitCode, 0);
  EXPECT_TRUE(std::filesystem::exists(file));

  ProcessResult check = Run({"residents", "status", "year-check"});
  ASSERT_EQ(check.exitCode, 0) << check.err;
  EXPECT_NE(check.out.find("0x8513 add 本年度存在未申报缴纳社保费的城乡居民"), std::string::npos) << check.out;

  ProcessResult states = Run({"residents", "states", "count", "--year", "2024"});
  ASSERT_EQ(states.exitCode, 0) << states.err;
  EXPECT_NE(states.out.find("共 0 条申报状态"), std::string::npos) << states.out;
  EXPECT_EQ(Run({"residents", "states", "clear", "--year", "2024"}).exitCode, 0);
  EXPECT_EQ(Run({"residents", "states", "list", "--paid", "maybe"}).exitCode, 2);
}

TEST_F(ResidentsStatusCli, HelpNamesExamples) {
  ProcessResult help = Run({"residents", "status", "query", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--no-wait"), std::string::npos);
  EXPECT_NE(help.out.find("velmor residents status"), std::string::npos) << help.out;
  EXPECT_NE(Run({"residents", "states", "--help"}).out.find("velmor residents states list"), std::string::npos);
}

}  // namespace
}  // namespace velmor::testing
