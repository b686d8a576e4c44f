// `velmor dict update|show|rules` on a fresh data directory against the simulator.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/cli_on_simulator.h"

namespace velmor::testing {
namespace {

class DictCli : public CliOnSimulator {
 protected:
  DictCli() : CliOnSimulator(TwoPersons(), {}) {}
  static taxsim::SimulatorOptions TwoPersons() {
    taxsim::SimulatorOptions o;
    o.threads = 2;
    o.generate = {.persons = 2, .payers = 1, .seed = 3};
    return o;
  }
};

TEST_F(DictCli, UpdateFillsTheRuleFileAndShowPrintsTheIdTypes) {
  ProcessResult before = Run({"dict", "show", "dict_zjlx"});
  ASSERT_EQ(before.exitCode, 0) << before.err;
  EXPECT_EQ(before.out, "dm\tmc\n") << "piped: a TSV head and no rows";

  ProcessResult update = Run({"dict", "update"});
  ASSERT_EQ(update.exitCode, 0) << update.err;
  EXPECT_EQ(update.out.rfind("规则已更新 ", 0), 0u) << update.out;
  EXPECT_NE(update.out.find("/M8/Dictionary/规则文件.dat"), std::string::npos) << update.out;

  ProcessResult show = Run({"dict", "show", "dict_zjlx"});
  ASSERT_EQ(show.exitCode, 0) << show.err;
  EXPECT_EQ(show.out.rfind("dm\tmc\n201\t居民身份证\n202\t军官证\n", 0), 0u) << show.out;
  const nlohmann::json json = nlohmann::json::parse(Run({"dict", "show", "dict_zjlx", "--format", "json"}).out);
  EXPECT_EQ(json[0], (nlohmann::json{{"dm", "201"}, {"mc", "居民身份证"}}));
  EXPECT_EQ(Run({"dict", "show", "dict_zjlx", "227"}).out, "中国护照\n");

  ProcessResult rules = Run({"dict", "rules"});
  ASSERT_EQ(rules.exitCode, 0) << rules.err;
  EXPECT_NE(rules.out.find("\nbzzzlxGz\t8\n"), std::string::npos) << rules.out;
  EXPECT_EQ(rules.out.rfind("updated\t", 0), 0u);

  // A damaged rule file: the listing fails with the reason instead of listing nothing.
  const size_t colon = update.out.find("：") + std::string("：").size();
  const std::string file = update.out.substr(colon, update.out.find('\n') - colon);
  ASSERT_TRUE(WriteFile(file, "{\"swjgGz\": [1, 2"));
  ProcessResult broken = Run({"dict", "rules"});
  EXPECT_EQ(broken.exitCode, 1) << broken.out;
  EXPECT_NE(broken.err.find("规则文件格式错误"), std::string::npos) << broken.err;
}

TEST_F(DictCli, Failures) {
  ProcessResult r = Run({"dict", "show", "dict_none"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("velmor: unknown dictionary \"dict_none\" (see ", 0), 0u) << r.err;
  r = Run({"dict", "show", "qsgx", "09"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("velmor: 字典qsgx中没有代码[09] (see ", 0), 0u) << r.err;
  EXPECT_EQ(Run({"dict", "show", "qsgx", "04"}).out, "父母\n");
  sim_.Stop();
  r = Run({"dict", "update", "--force"});
  EXPECT_EQ(r.exitCode, 1);
  // The generic text gives way to the cause the plug-in logged.
  EXPECT_EQ(r.err.rfind("velmor: 无法连接服务器", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("velmor.log)\n"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace velmor::testing
