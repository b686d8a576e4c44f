// `velmor scheme sync` and `velmor roster ...` on a fresh data directory against the simulator.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/process.h"
#include "support/temp_dir.h"
#include "taxsim/simulator.h"

namespace velmor::testing {
namespace {

const std::string kVelmor = std::string(VELMOR_BIN_DIR) + "/velmor";

class RosterCli : public ::testing::Test {
 protected:
  RosterCli() {
    sim_.Start();
    ProcessResult init = Run({"init", "--server", sim_.Url(), "--djxh", "10000000000000000001"});
    EXPECT_EQ(init.exitCode, 0) << init.err;
  }
  ProcessResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {kVelmor, "--data", dir_.File("data")});
    return RunProcess(args);
  }
  static taxsim::SimulatorOptions Options() {
    taxsim::SimulatorOptions o;
    o.threads = 4;
    o.asyncPendingPolls = 1;
    o.generate = {.persons = 40, .payers = 1, .seed = 5};
    return o;
  }
  TempDir dir_;
  taxsim::Simulator sim_{Options()};
};

TEST_F(RosterCli, SyncListCountAndRefresh) {
  ProcessResult scheme = Run({"scheme", "sync"});
  ASSERT_EQ(scheme.exitCode, 0) << scheme.err;
  EXPECT_NE(scheme.out.find("insurance types 110,310,410"), std::string::npos) << scheme.out;

  ProcessResult sync = Run({"roster", "sync", "--full"});
  ASSERT_EQ(sync.exitCode, 0) << sync.err;
  EXPECT_EQ(sync.out.rfind("roster stored: 40 persons, ", 0), 0u) << sync.out;
  EXPECT_NE(sync.err.find("roster sync"), std::string::npos) << "the progress display";

  ProcessResult count = Run({"roster", "count"});
  ASSERT_EQ(count.exitCode, 0) << count.err;
  EXPECT_EQ(count.out.rfind("persons\t40\nlocal\t0\nserver\t40\n", 0), 0u) << count.out;

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
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 15) << list.out;
  EXPECT_EQ(list.err, "40 persons match\n");
  nlohmann::json first = nlohmann::json::parse(list.out.substr(0, list.out.find('\n')));
  EXPECT_EQ(first["cbzt"], "1");

  EXPECT_EQ(Run({"roster", "refresh-states"}).out, "summary states are up to date\n");
  EXPECT_EQ(Run({"roster", "refresh-states", "--force"}).out, "summary states recomputed\n");
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

}  // namespace
}  // namespace velmor::testing
