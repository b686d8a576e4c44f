// Individual online payment of the real plug-in, loaded by the reference host through its
// exports: the simulated server on loopback and the simulated bank over HTTPS with a certificate
// and a signing key pair made at set-up; the key is sealed into the data directory's
// "Key_CCB.pem" the way an installation provisions it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "onlinepay/key_envelope.h"
#include "support/host_fixture.h"
#include "support/test_keys.h"
#include "taxsim/bank/bank_platform.h"
#include "taxsim/simulator.h"
#include "velmor/grsbfjn.h"
#include "velmor/grsbfjn_dao.h"
#include "velmor/sys_param.h"

namespace velmor::testing {

inline const std::string kOnlinePayer = "10000000000000000001";
inline const std::string kEnvelopeKey = "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";

class OnlinePayFixture : public ::testing::Test {
 protected:
  OnlinePayFixture() : sim_(SimOptions()), bank_(BankOpts()) {
    sim_.Start();
    bank_.Start();
    env_ = std::make_unique<LoadedPlugin>(Config(""));
    SealKey(GetTestKeys().signKey);
    mgr_ = env_->plugin().CreateService<IGrsbfjn>();
    dao_ = env_->plugin().CreateService<IGrsbfjnDAO>();
    SetParam("ccb_zrzfpt_host", bank_.Url());
    SetParam("ccb_zrzfpt_qdbh", "QD0001");
    SetParam("ccb_zrzfpt_skdwdm", "SKDW01");
    SetParam("ccb_zrzfpt_skdwmc", "某市税务局");
  }
  ~OnlinePayFixture() override {
    mgr_ = nullptr;
    dao_ = nullptr;
    env_.reset();
  }

  static taxsim::SimulatorOptions SimOptions() {
    taxsim::SimulatorOptions o;
    o.generate.persons = 2;
    o.generate.payers = 1;
    o.generate.seed = 25;
    return o;
  }
  static taxsim::BankOptions BankOpts() {
    const TestKeys& k = GetTestKeys();
    return {k.tlsCert, k.tlsKey, k.signPublic};
  }
  std::string Config(const std::string& https) {
    return "[server]\nurl = " + sim_.Url() + "\n[portal]\ndjxh = " + kOnlinePayer + "\n[https]\nca_file = " +
           GetTestKeys().tlsCert + "\n" + https + "[M8]\nccb_key = " + kEnvelopeKey + "\n";
  }
  // Restarts host and plug-in on a fresh data directory with more [https] settings.
  void Reload(const std::string& https) {
    mgr_ = nullptr;
    dao_ = nullptr;
    env_.reset();
    env_ = std::make_unique<LoadedPlugin>(Config(https));
    SealKey(GetTestKeys().signKey);
    mgr_ = env_->plugin().CreateService<IGrsbfjn>();
    dao_ = env_->plugin().CreateService<IGrsbfjnDAO>();
    SetParam("ccb_zrzfpt_host", bank_.Url());
  }

  std::string KeyPath() const {
    return env_->dataDir() + "/M8/AppComs/Difference/Velmor/" + onlinepay::kKeyFileName;
  }
  void SealKey(const std::string& pemPath) {
    std::filesystem::create_directories(std::filesystem::path(KeyPath()).parent_path());
    ASSERT_TRUE(WriteFile(KeyPath(), onlinepay::SealKeyEnvelope(ReadFile(pemPath), kEnvelopeKey)));
  }
  void SetParam(const std::string& key, const std::string& value) {
    Ref<ISysParamIntf> p = env_->plugin().CreateService<ISysParamIntf>();
    p->SetDjxh(kOnlinePayer);
    ASSERT_TRUE(p->SetValue(key, value));
  }

  // A bank order of two lines (amounts 100.50 and 20).
  static nlohmann::json Order(const std::string& spddh = "") {
    nlohmann::json o = {{"rydjxh", "R0001"},     {"xm", "O'Neil 张"}, {"zjlx", "201"},
                        {"zjhm", "110101199001011234"}, {"sjhm", "13800000000"}, {"email", ""},
                        {"sbjbjgdm", "S0001"},   {"rybh", "RB0001"},  {"pmlx", "01"},
                        {"jfnd", "2026"},        {"ksny", ""},        {"zzny", "202612"},
                        {"xz_xzjddm", "JD01"},   {"xz_sqhczdm", "SQ01"}, {"swjgdm", "14403000000"},
                        {"lines", {{{"zsxmdm", "10210"}, {"zspmdm", "102100100"}, {"zszmdm", ""}, {"jfje", "100.50"}},
                                   {{"zsxmdm", "10210"}, {"zspmdm", "102100200"}, {"zszmdm", "null"}, {"jfje", 20}}}}};
    if (!spddh.empty()) o["spddh"] = spddh;
    return o;
  }
  nlohmann::json Place(const nlohmann::json& order, std::string& message) {
    std::string result;
    EXPECT_EQ(mgr_->Sbfjn(order.dump(), result, message), message.empty()) << message;
    return nlohmann::json::parse(result);
  }
  nlohmann::json Lines() { return nlohmann::json::parse(mgr_->GetData("", -1, 20)); }

  taxsim::Simulator sim_;
  taxsim::BankPlatform bank_;
  std::unique_ptr<LoadedPlugin> env_;
  Ref<IGrsbfjn> mgr_;
  Ref<IGrsbfjnDAO> dao_;
};

}  // namespace velmor::testing
