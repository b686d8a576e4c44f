// The scheme manager and the employee service of the real plug-in, loaded by the reference host
// through its exports, against the simulator on a free loopback port, on the data directory's
// temporary SQLite file. The simulator's roster changes through its control code "9002".
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "host/net/wire.h"
#include "support/host_fixture.h"
#include "taxsim/simulator.h"
#include "velmor/employee_dao.h"
#include "velmor/employee_service.h"
#include "velmor/sys_param.h"
#include "velmor/xnh_mgr.h"

namespace velmor::testing {

inline const std::string kPayer = "10000000000000000001";

class SchemeFixture : public ::testing::Test {
 protected:
  // `moreConfig`: further sections of the host configuration.
  explicit SchemeFixture(int persons = 30, int payers = 1, const std::string& moreConfig = "")
      : sim_(Options(persons, payers)) {
    sim_.Start();
    env_ = std::make_unique<LoadedPlugin>("[server]\nurl = " + sim_.Url() + "\n[portal]\ndjxh = " + kPayer + "\n" +
                                          moreConfig);
    mgr_ = env_->plugin().CreateService<IXnhMgr>();
    svc_ = env_->plugin().CreateService<IEmployeeService>();
    dao_ = env_->plugin().CreateService<IEmployeeDao>();
  }
  ~SchemeFixture() override {
    mgr_ = nullptr;
    svc_ = nullptr;
    dao_ = nullptr;
    env_.reset();
  }

  static taxsim::SimulatorOptions Options(int persons, int payers) {
    taxsim::SimulatorOptions o;
    o.generate.persons = persons;
    o.generate.payers = payers;
    o.generate.seed = 7;
    o.asyncPendingPolls = 2;
    return o;
  }

  // The control call of the simulator; returns its JSON answer.
  nlohmann::json Control(const nlohmann::json& request) {
    httplib::Client client("127.0.0.1", sim_.Port());
    auto res = client.Post("/service/9002", request.dump(), "application/json");
    EXPECT_TRUE(res && res->status == 200);
    if (!res) return {};
    nlohmann::json env = nlohmann::json::parse(res->body);
    EXPECT_EQ(env.value("status", 0), 2) << res->body;
    return nlohmann::json::parse(env.value("response", std::string("{}")));
  }
  void Fault(const std::string& json) { sim_.Faults().Add(taxsim::ParseFault(nlohmann::json::parse(json))); }

  // A single-value query of the store.
  std::string Scalar(const std::string& sql) {
    nlohmann::json rows = nlohmann::json::parse(dao_->getData(sql));
    if (rows.empty()) return "<none>";
    return rows[0].begin().value().get<std::string>();
  }
  int Count(const std::string& sql) { return std::stoi(Scalar(sql)); }
  std::string Param(const std::string& key) {
    Ref<ISysParamIntf> p = env_->plugin().CreateService<ISysParamIntf>();
    p->SetDjxh(kPayer);
    return p->GetValue(key);
  }
  size_t SimPersons(const std::string& djxh = kPayer) {
    return sim_.WithState([&](taxsim::State& s) {
      auto r = s.PersonsOf(djxh);
      return static_cast<size_t>(r.second - r.first);
    });
  }
  size_t SimItems(const std::string& djxh = kPayer) {
    return sim_.WithState([&](taxsim::State& s) {
      size_t n = 0;
      for (const auto& it : s.items) n += it.djxh == djxh;
      return n;
    });
  }
  // The simulator's items of one person, as copies.
  std::vector<taxsim::Item> SimItemsOf(const std::string& rydjxh) {
    return sim_.WithState([&](taxsim::State& s) {
      std::vector<taxsim::Item> out;
      for (const auto& it : s.items)
        if (it.rydjxh == rydjxh) out.push_back(it);
      return out;
    });
  }
  std::string SimPerson(size_t k) {
    return sim_.WithState([&](taxsim::State& s) { return s.PersonsOf(kPayer).first[k].rydjxh; });
  }
  void FullSync() {
    ASSERT_TRUE(mgr_->DjxxXz(nullptr)) << mgr_->GetErrorMessage();
    std::string message;
    ASSERT_TRUE(svc_->updateCbryxx(kPayer, false, nullptr, message)) << message;
  }

  taxsim::Simulator sim_;
  std::unique_ptr<LoadedPlugin> env_;
  Ref<IXnhMgr> mgr_;
  Ref<IEmployeeService> svc_;
  Ref<IEmployeeDao> dao_;
};

}  // namespace velmor::testing
