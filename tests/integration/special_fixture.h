// The special-group declarations of the real plug-in, loaded by the reference host through its
// exports, against the simulator on a free loopback port, on the data directory's temporary
// SQLite file.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "support/host_fixture.h"
#include "taxsim/faults.h"
#include "taxsim/simulator.h"
#include "velmor/tsjk_mgr.h"
#include "velmor/tsrqsbjf_dao.h"

namespace velmor::testing {

inline const std::string kSpecialPayer = "10000000000000000001";

class SpecialFixture : public ::testing::Test {
 protected:
  SpecialFixture() : sim_(Options()) {
    sim_.Start();
    env_ = std::make_unique<LoadedPlugin>("[server]\nurl = " + sim_.Url() + "\n[portal]\ndjxh = " + kSpecialPayer + "\n");
    mgr_ = env_->plugin().CreateService<ITsJkMgr>();
    dao_ = env_->plugin().CreateService<ITsrqsbjfDAO>();
  }
  ~SpecialFixture() override {
    mgr_ = nullptr;
    dao_ = nullptr;
    env_.reset();
  }

  static taxsim::SimulatorOptions Options() {
    taxsim::SimulatorOptions o;
    o.generate.persons = 3;
    o.generate.payers = 1;
    o.generate.seed = 11;
    return o;
  }

  static std::string Today() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
    return buf;
  }

  void Fault(const std::string& json) { sim_.Faults().Add(taxsim::ParseFault(nlohmann::json::parse(json))); }
  std::string LastBody(const std::string& code) {
    std::string body;
    for (const auto& c : sim_.RecentCalls())
      if (c.serviceCode == code) body = c.body;
    return body;
  }
  std::string FirstRydjxh() {
    return sim_.WithState([](taxsim::State& s) { return s.persons.front().rydjxh; });
  }
  nlohmann::json Rows(const std::string& yzpzxh) { return nlohmann::json::parse(dao_->getByYzpzxh(yzpzxh)); }

  // A declared line of a person for SaveSbjl.
  static nlohmann::json Line(const std::string& yzpzxh, int sbzt, const std::string& sbrq, double jfje,
                             const std::string& xm = "张三") {
    return {{"djxh", kSpecialPayer}, {"rydjxh", "R1"},     {"xm", xm},         {"zjlx", "201"},
            {"zjhm", "110101199001011234"}, {"sbjbjgdm", "S01"}, {"rybh", "RB1"}, {"zsxmdm", "10210"},
            {"zspmdm", "102100100"}, {"zszmdm", "null"}, {"cbrytslbDm", "01"}, {"cbrytslbMc", "低保"},
            {"fkssqq", "2025-01-01"}, {"fkssqz", "2025-12-31"}, {"sbrq", sbrq}, {"yzpzxh", yzpzxh},
            {"sblx", 1},   {"sbzt", sbzt}, {"jfzt", 0},  {"jfje", jfje}, {"jfdc", 200}, {"jfns", 1}, {"jfys", 12}};
  }

  taxsim::Simulator sim_;
  std::unique_ptr<LoadedPlugin> env_;
  Ref<ITsJkMgr> mgr_;
  Ref<ITsrqsbjfDAO> dao_;
};

}  // namespace velmor::testing
