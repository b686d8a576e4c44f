// The payment manager (IJkService) of the real plug-in, loaded by the reference host through its
// exports, against the simulator on loopback, on the data directory's temporary SQLite file.
// Declared levy documents are put into the simulator's state directly.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/host_fixture.h"
#include "taxsim/faults.h"
#include "taxsim/simulator.h"
#include "velmor/employee_dao.h"
#include "velmor/jk_service.h"
#include "velmor/payment_dao.h"

namespace velmor::testing {

using Json = nlohmann::ordered_json;

inline const std::string kPayPayer = "10000000000000000001";

class PaymentFlow : public ::testing::Test {
 protected:
  // extraConfig: further sections of velmor.conf (the seal, the preview, function settings).
  explicit PaymentFlow(const std::string& extraConfig = "") : sim_(Options()) {
    sim_.Start();
    env_ = std::make_unique<LoadedPlugin>("[server]\nurl = " + sim_.Url() + "\n[portal]\ndjxh = " + kPayPayer +
                                          "\nbusiness_lines = 5\n[functions]\nM8300-01-05-01-00 = Y\n"
                                          "NONFUNCTION004 = Y\n[messages]\n0008.FFF = 银行扣款处理中\n"
                                          "0011.002 = 该缴款凭证已作废\n" + extraConfig);
    namespace fs = std::filesystem;
    const fs::path dict = fs::path(env_->dataDir()) / "M8" / "Dictionary";
    fs::create_directories(dict);
    fs::copy_file(fs::path(VELMOR_SOURCE_DIR) / "data" / "M8" / "Dictionary" / "城乡居民品目代码.dat",
                  dict / "城乡居民品目代码.dat", fs::copy_options::overwrite_existing);
    jk_ = env_->plugin().CreateService<IJkService>();
    sql_ = env_->plugin().CreateService<IEmployeeDao>();
  }
  ~PaymentFlow() override {
    jk_ = nullptr;
    sql_ = nullptr;
    env_.reset();
  }

  static taxsim::SimulatorOptions Options() {
    taxsim::SimulatorOptions o;
    o.generate.persons = 3;
    o.generate.payers = 1;
    o.generate.seed = 7;
    o.asyncPendingPolls = 1;
    return o;
  }

  // A declared levy document of the payer on the simulator: one line per amount (item codes of
  // the residents' file unless given), at `office`, due on `jkqx` ("" = by position).
  void Declared(const std::string& yzpzxh, const std::vector<double>& amounts, const std::string& office = "",
                const std::string& jkqx = "", const std::string& zspmDm = "102101000") {
    Json persons = Json::array();
    double total = 0;
    for (double a : amounts) {
      persons.push_back({{"zsxmDm", "10210"}, {"zspmDm", zspmDm}, {"zszmDm", ""}, {"yjfe", a}, {"jfnd", "2026"},
                         {"cxjmsbbm", "B" + std::to_string(persons.size())}});
      total += a;
    }
    sim_.WithState([&](taxsim::State& s) {
      nlohmann::json d = {{"djxh", kPayPayer}, {"yzpzxh", yzpzxh}, {"state", "declared"}, {"yjfe", total},
                          {"paid", 0.0},       {"persons", nlohmann::json::parse(persons.dump())}};
      if (!office.empty()) d["swjg"] = office;
      if (!jkqx.empty()) d["jkqx"] = jkqx;
      s.declarations.push_back(d);
    });
  }
  void Steer(const std::string& zsuuid, const std::string& code) {
    sim_.WithState([&](taxsim::State& s) { s.payments["outcomes"][zsuuid] = code; });
  }
  void Fault(const std::string& json) { sim_.Faults().Add(taxsim::ParseFault(nlohmann::json::parse(json))); }

  Json Arrears() {
    std::string text;
    EXPECT_TRUE(jk_->GetQfxxLb(0, "", "", "", nullptr, text)) << jk_->GetErrorMessage();
    return Json::parse(text.empty() ? "[]" : text);
  }
  // The arrears lines whose zsuuid starts with the levy document number.
  Json LinesOf(const Json& arrears, const std::string& yzpzxh) {
    Json out = Json::array();
    for (const Json& l : arrears)
      if (l["yzpzxh"] == yzpzxh) out.push_back(l);
    return out;
  }
  Json Stored() {
    std::string text;
    EXPECT_TRUE(jk_->GetData("", 1, 3, 0, 0, text)) << jk_->GetErrorMessage();
    return Json::parse(text);
  }
  static Json ByZsuuid(const Json& rows, const std::string& zsuuid) {
    for (const Json& r : rows)
      if (r["zsuuid"] == zsuuid) return r;
    return Json();
  }
  size_t CallsOf(const std::string& code) {
    size_t n = 0;
    for (const auto& c : sim_.RecentCalls()) n += c.serviceCode == code;
    return n;
  }

  static inline const std::string kAgreement =
      R"({"sfxyh": "SFXY00000001", "jkzh": "6217000012345678", "yhyywdMc": "建设银行第一支行"})";

  taxsim::Simulator sim_;
  std::unique_ptr<LoadedPlugin> env_;
  Ref<IJkService> jk_;
  Ref<IEmployeeDao> sql_;
};

}  // namespace velmor::testing
