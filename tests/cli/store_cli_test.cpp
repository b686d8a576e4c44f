// `velmor param` and `velmor codename` on a fresh data directory.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.h"
#include "support/temp_dir.h"

namespace velmor::testing {
namespace {

const std::string kVelmor = std::string(VELMOR_BIN_DIR) + "/velmor";

class StoreCli : public ::testing::Test {
 protected:
  StoreCli() { std::filesystem::create_directories(dir_.File("data")); }
  ProcessResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {kVelmor, "--data", dir_.File("data")});
    return RunProcess(args);
  }
  TempDir dir_;
};

TEST_F(StoreCli, ParamSetThenGetPrintsTheValue) {
  ProcessResult set = Run({"param", "set", "--djxh", "10001", "k", "v"});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  EXPECT_EQ(set.out, "");
  ProcessResult get = Run({"param", "get", "--djxh", "10001", "k"});
  ASSERT_EQ(get.exitCode, 0) << get.err;
  EXPECT_EQ(get.out, "v\n");
  EXPECT_EQ(Run({"param", "get", "--djxh", "10002", "k"}).out, "\n") << "another payer has no such value";
}

TEST_F(StoreCli, ParamGetFailsWhenTheParametersCannotBeRead) {
  ASSERT_EQ(Run({"param", "set", "--djxh", "10001", "k", "v"}).exitCode, 0);
  ProcessResult damage = RunProcess({"/usr/bin/sqlite3", dir_.File("data/velmor.db"),
                                     "drop table sb_xtcsb; create table sb_xtcsb (x text);"});
  ASSERT_EQ(damage.exitCode, 0) << damage.err;
  ProcessResult get = Run({"param", "get", "--djxh", "10001", "k"});
  EXPECT_EQ(get.exitCode, 1) << get.out;
  EXPECT_EQ(get.out, "");
  EXPECT_NE(get.err.find("读取系统参数失败"), std::string::npos) << get.err;
}

TEST_F(StoreCli, ParamListShowsOwnValuesAndInheritedGlobalOnes) {
  ASSERT_EQ(Run({"param", "set", "shared", "global"}).exitCode, 0);
  ASSERT_EQ(Run({"param", "set", "only_global", "g g"}).exitCode, 0);
  ASSERT_EQ(Run({"param", "set", "--djxh", "10001", "shared", "mine"}).exitCode, 0);
  ProcessResult list = Run({"param", "list", "--djxh", "10001"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.out, "key\tvalue\tdjxh\nshared\tmine\t10001\nonly_global\tg g\tglobal_param\n");
  EXPECT_EQ(Run({"param", "get", "--djxh", "10001", "only_global"}).out, "g g\n");
  EXPECT_EQ(Run({"param", "list", "--fields", "key,value"}).out, "key\tvalue\nonly_global\tg g\nshared\tglobal\n");
}

TEST_F(StoreCli, ParamUsageErrors) {
  ProcessResult r = Run({"param", "get"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "velmor: KEY is required (see velmor param get --help)\n");
  r = Run({"param", "set", "--djxh", "1", "", "v"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "velmor: KEY must not be empty\n");
  r = Run({"param", "drop", "k"});
  EXPECT_EQ(r.exitCode, 2);
}

TEST_F(StoreCli, CodeNameAddThenList) {
  ASSERT_EQ(Run({"codename", "add", "6", "01", "城关镇"}).exitCode, 0);
  ASSERT_EQ(Run({"codename", "add", "6", "02'x", "O'Neil"}).exitCode, 0);
  ASSERT_EQ(Run({"codename", "add", "6", "01", "城关街道"}).exitCode, 0);
  ProcessResult list = Run({"codename", "list", "6"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.out, "dm\tmc\n01\t城关街道\n02'x\tO'Neil\n");
  EXPECT_EQ(Run({"codename", "list", "7"}).out, "dm\tmc\n");
  ProcessResult bad = Run({"codename", "list", "six"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_EQ(bad.err, "velmor: Could not convert: LB = six (see velmor codename list --help)\n");
}

}  // namespace
}  // namespace velmor::testing
