// `velmor fees`, `velmor confirm` and `velmor agreement` on a fresh data directory against the
// simulator, as a user would run them.
#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "support/cli_on_simulator.h"

namespace velmor::testing {
namespace {

class FeesCli : public CliOnSimulator {
 protected:
  FeesCli() : CliOnSimulator(TwoPersons(), {}) {}
  static taxsim::SimulatorOptions TwoPersons() {
    taxsim::SimulatorOptions o;
    o.threads = 2;
    o.generate = {.persons = 2, .payers = 1, .seed = 3};
    return o;
  }
};

TEST_F(FeesCli, InitShipsTheBankListsAndAgreementBanksReadsThem) {
  EXPECT_TRUE(std::filesystem::exists(dir_.File("data") + "/M8/AppComs/Difference/Velmor/sqyh.json"));
  ProcessResult banks = Run({"agreement", "banks"});
  ASSERT_EQ(banks.exitCode, 0) << banks.err;
  EXPECT_NE(banks.out.find("105=中国建设银行"), std::string::npos) << banks.out;
}

TEST_F(FeesCli, SyncThenThePersonsStandard) {
  ProcessResult before = Run({"fees", "person", "--zsxm", "10219", "--zspm", "102190100", "--csrq", "1964-01-01",
                              "--xb", "1", "--date", "2024-05-01"});
  EXPECT_EQ(before.exitCode, 1);
  EXPECT_NE(before.err.find("无法确定品目类型"), std::string::npos) << before.err;

  ProcessResult sync = Run({"fees", "sync"});
  ASSERT_EQ(sync.exitCode, 0) << sync.err;
  EXPECT_GT(nlohmann::json::parse(sync.out)["jfdcLb"].get<int>(), 5) << sync.out;
  ProcessResult person = Run({"fees", "person", "--zsxm", "10219", "--zspm", "102190100", "--agency", "A",
                              "--csrq", "1964-01-01", "--xb", "2", "--date", "2024-05-01"});
  ASSERT_EQ(person.exitCode, 0) << person.err;
  EXPECT_EQ(nlohmann::json::parse(person.out)["dcList"], nlohmann::json::parse(R"([{"dcdm":"01","dcje":"180.00"}])"));
  ProcessResult show = Run({"fees", "show", "--zsxm", "10212", "--zspm", "102120300"});
  ASSERT_EQ(show.exitCode, 0) << show.err;
  EXPECT_EQ(nlohmann::json::parse(show.out)["jffs"], "04");
}

TEST_F(FeesCli, ARefusedCardCheckExitsOne) {
  ProcessResult r = Run({"agreement", "check-card", "--card", "12", "--cert-no", "1", "--name", "李四", "--phone", "1"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("卡号无效，卡号长度不正确"), std::string::npos) << r.err;
  for (const char* cmd : {"fees", "confirm", "agreement"}) {
    ProcessResult help = Run({cmd, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Examples:\n  velmor "), std::string::npos) << help.out;
  }
}

}  // namespace
}  // namespace velmor::testing
