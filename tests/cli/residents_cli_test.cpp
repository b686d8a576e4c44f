// `velmor residents`, `velmor basic-info` and `velmor street-change` on a fresh data directory
// against the simulator, as a user runs them.
#include <gtest/gtest.h>

#include <algorithm>

#include <fstream>
#include <iterator>

#include "support/cli_on_simulator.h"

namespace velmor::testing {
namespace {

class ResidentsCli : public CliOnSimulator {
 protected:
  ResidentsCli() : CliOnSimulator(10) {}
  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_.File(name)) << text;
    return dir_.File(name);
  }
};

TEST_F(ResidentsCli, StreetChangesSyncAndList) {
  ProcessResult sync = Run({"street-change", "sync", "2025-03-01", "2025-03-31", "--size", "2"});
  ASSERT_EQ(sync.exitCode, 0) << sync.err;
  EXPECT_EQ(sync.out, "已下载 5 条变更\n");
  ProcessResult list = Run({"street-change", "list", "--page", "-1"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.err, "共 5 条变更\n");
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 6) << "a head line and 5 rows\n" << list.out;
  ProcessResult bad = Run({"street-change", "submit", Write("none.json", "{}")});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("not a JSON array"), std::string::npos) << bad.err;
  ProcessResult cancel = Run({"street-change", "cancel", "NOPE"});
  EXPECT_EQ(cancel.exitCode, 1);
  EXPECT_NE(cancel.out.find("未通过 NOPE：变更记录不存在"), std::string::npos) << cancel.out;
}

TEST_F(ResidentsCli, RegistrationFromPendingToVerdict) {
  ASSERT_EQ(Run({"residents", "sync"}).exitCode, 0);
  const std::string person = Write("p.json", R"({"swjgDm": "OFFICE1", "czlx": "1", "xm": "李四", "zjlxDm": "201",
      "zjhm": "110101199001011234", "sjgghdqDm": "156",
      "lines": [{"czlx": "1", "xzlxDm": "110", "jfdXzqhDm": "110101", "jfbz": 380}]})");
  ProcessResult add = Run({"residents", "add", person});
  ASSERT_EQ(add.exitCode, 0) << add.err;
  EXPECT_NE(add.out.find("已保存，1 条险种"), std::string::npos) << add.out;
  EXPECT_NE(Run({"residents", "pending"}).out.find("李四"), std::string::npos);
  ProcessResult submit = Run({"residents", "submit"});
  ASSERT_EQ(submit.exitCode, 0) << submit.err;
  EXPECT_EQ(submit.out, "已提交 1 人\n");
  ProcessResult verdict = Run({"residents", "verdict"});
  ASSERT_EQ(verdict.exitCode, 0) << verdict.err;
  EXPECT_NE(verdict.out.find("2 已受理"), std::string::npos) << verdict.out;
  ProcessResult list = Run({"residents", "list"});
  EXPECT_EQ(list.err, "共 1 条提交记录\n");
  EXPECT_NE(Run({"residents", "list", "--id", "1"}).out.find("00000"), std::string::npos);
  ProcessResult unknown = Run({"residents", "add", Write("q.json", R"({"nosuch": "1"})")});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_NE(unknown.err.find("unknown field \"nosuch\""), std::string::npos) << unknown.err;
}

TEST_F(ResidentsCli, BasicInformationNeedsItsFunction) {
  const std::string person = Write("p.json", R"({"czlx": "1", "xm": "王五", "zjlxDm": "201", "zjhm": "1101",
      "lines": [{"xzlxDm": "110", "sbjbjgDm": "AG1"}]})");
  ProcessResult off = Run({"basic-info", "submit", person});
  EXPECT_EQ(off.exitCode, 1);
  EXPECT_NE(off.err.find("城乡居民基础信息采集功能未启用。"), std::string::npos) << off.err;
  {  // into the [functions] section `velmor init` wrote (a second section is refused)
    std::ifstream in(dir_.File("data/velmor.conf"));
    std::string conf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t at = conf.find("[functions]\n");
    ASSERT_NE(at, std::string::npos);
    conf.insert(at + std::string("[functions]\n").size(), "M8300-01-19-01-00 = Y\n");
    std::ofstream(dir_.File("data/velmor.conf"), std::ios::trunc) << conf;
  }
  ProcessResult on = Run({"basic-info", "submit", person});
  ASSERT_EQ(on.exitCode, 0) << on.err;
  EXPECT_NE(on.out.find("险种 110：00000"), std::string::npos) << on.out;
  EXPECT_NE(Run({"basic-info", "list"}).out.find("王五"), std::string::npos);
  ProcessResult numbers = Run({"basic-info", "numbers", "UNKNOWN"});
  EXPECT_EQ(numbers.exitCode, 0) << numbers.err;
  EXPECT_EQ(numbers.out, "");
}

}  // namespace
}  // namespace velmor::testing
