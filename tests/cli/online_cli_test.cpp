// `velmor online` and `velmor regional` from a fresh data directory against the simulator and
// the simulated bank, as a user would run them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "onlinepay/key_envelope.h"
#include "support/cli_on_simulator.h"
#include "support/test_keys.h"
#include "taxsim/bank/bank_platform.h"
#include "taxsim/simulator.h"

namespace velmor::testing {
namespace {

const std::string kPayer = "10000000000000000001";
const std::string kKeyHex(64, '7');

taxsim::SimulatorOptions TwoPersons() {
  taxsim::SimulatorOptions o;
  o.generate.persons = 2;
  return o;
}

class OnlineCli : public CliOnSimulator {
 protected:
  OnlineCli()
      : CliOnSimulator(TwoPersons(), {}, kPayer),
        bank_({GetTestKeys().tlsCert, GetTestKeys().tlsKey, GetTestKeys().signPublic}) {
    bank_.Start();
    std::ofstream(dir_.File("data/velmor.conf"), std::ios::app)
        << "[https]\nca_file = " << GetTestKeys().tlsCert << "\n[M8]\nccb_key = " << kKeyHex << "\n";
    const std::string keyDir = dir_.File("data/M8/AppComs/Difference/Velmor");
    std::filesystem::create_directories(keyDir);
    EXPECT_TRUE(WriteFile(keyDir + "/Key_CCB.pem", onlinepay::SealKeyEnvelope(ReadFile(GetTestKeys().signKey), kKeyHex)));
    EXPECT_EQ(Run({"param", "set", "--djxh", kPayer, "ccb_zrzfpt_host", bank_.Url()}).exitCode, 0);
  }
  // The value after `word ` in text.
  static std::string After(const std::string& text, const std::string& word) {
    size_t at = text.find(word + " ");
    if (at == std::string::npos) return {};
    at += word.size() + 1;
    return text.substr(at, text.find_first_of(" \n", at) - at);
  }

  taxsim::BankPlatform bank_;
};

TEST_F(OnlineCli, ABankOrderPaidAndListed) {
  std::ofstream(dir_.File("order.json"))
      << R"({"xm":"张三","zjlx":"201","zjhm":"110101199001011234","sbjbjgdm":"S1","rybh":"RB1","pmlx":"00",)"
      << R"("lines":[{"zsxmdm":"10210","zspmdm":"102100100","jfje":"300"}]})";
  ProcessResult order = Run({"online", "order", dir_.File("order.json")});
  ASSERT_EQ(order.exitCode, 0) << order.err;
  const std::string spddh = After(order.out, "spddh"), zfddh = After(order.out, "zfddh");
  EXPECT_EQ(After(order.out, "jfje"), "300.00") << order.out;
  EXPECT_NE(order.out.find("syturl https://127.0.0.1:"), std::string::npos) << order.out;
  ASSERT_TRUE(bank_.SetOrderState(spddh, "paid"));
  ProcessResult state = Run({"online", "state", spddh, zfddh});
  ASSERT_EQ(state.exitCode, 0) << state.err;
  EXPECT_NE(state.out.find("ddzt 1 (已支付)"), std::string::npos) << state.out;
  ProcessResult list = Run({"online", "list", "--state", "1"});
  EXPECT_NE(list.err.find("共 1 条订单"), std::string::npos) << list.out;
  ProcessResult bad = Run({"online", "state", spddh, "PY-NONE"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("订单不存在"), std::string::npos) << bad.err;
  ProcessResult details = Run({"online", "details", "OD-NONE", "Q"});
  EXPECT_EQ(details.exitCode, 1);
  EXPECT_NE(details.err.find("订单明细查询异常：[NOT_FOUND]订单不存在"), std::string::npos) << details.err;
}

TEST_F(OnlineCli, ARegionalOrderFollowedAndListed) {
  std::ofstream(dir_.File("hn.json"))
      << R"({"rybh":"RB1","xm":"李四","zjhm":"110101199001011234","payDetail":[{"sbjbjgdm":"S1","amount":"120"}]})";
  ProcessResult order = Run({"regional", "order", dir_.File("hn.json")});
  ASSERT_EQ(order.exitCode, 0) << order.err;
  const std::string ddh = After(order.out, "ddh");
  EXPECT_EQ(After(order.out, "ddzt"), "0");
  sim_.WithState([&](taxsim::State& s) {
    s.residents["hngrjf"][ddh]["orderStatus"] = "6";
    return 0;
  });
  ProcessResult state = Run({"regional", "state", ddh});
  ASSERT_EQ(state.exitCode, 0) << state.err;
  EXPECT_NE(state.out.find("ddzt 1"), std::string::npos) << state.out;
  ProcessResult list = Run({"regional", "list", "--server"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_NE(list.err.find("服务器共有 1 条订单"), std::string::npos) << list.out;
  EXPECT_NE(list.err.find("本地共 1 条订单"), std::string::npos) << list.out;
  std::ofstream(dir_.File("bad.json")) << "[]";
  ProcessResult bad = Run({"regional", "order", dir_.File("bad.json")});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("is not a JSON object"), std::string::npos) << bad.err;
}

TEST_F(OnlineCli, ReadOnlyCommandsLeaveNoDataDirectoryBehind) {
  ProcessResult r = RunProcess({kVelmor, "--data", dir_.File("none"), "online", "list"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("none")));
  r = RunProcess({kVelmor, "--data", dir_.File("none"), "regional", "list"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("none")));
}

}  // namespace
}  // namespace velmor::testing
