// The fixture of the payable-information and electronic-declaration tests: the simulator on
// loopback (one generated payer with a 20-digit djxh), the reference host with the real plug-in
// loaded through its exports and a temporary SQLite file, the roster holding the first person's
// items, and the services created from the classes the plug-in registered.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/db/database.h"
#include "host/db/fault_injection.h"
#include "support/host_fixture.h"
#include "taxsim/faults.h"
#include "taxsim/simulator.h"
#include "velmor/db_dataset.h"
#include "velmor/db_field.h"
#include "velmor/db_fields.h"
#include "velmor/dzsb_mgr.h"
#include "velmor/rcsb_dao.h"
#include "velmor/yjxx_dao.h"
#include "velmor/yjxx_service.h"

namespace velmor::testing {

using Json = nlohmann::ordered_json;
using host::db::FaultInjection;

inline const std::string kPayer = "10000000000000000001";  // 20 digits: only ever compared as text

class Payable : public ::testing::Test {
 protected:
  Payable() : sim_(Options()) {
    sim_.Start();
    env_ = std::make_unique<LoadedPlugin>("[server]\nurl = " + sim_.Url() + "\n[portal]\ndjxh = " + kPayer + "\n");
    svc_ = env_->plugin().CreateService<IYjxxService>();
    dzsb_ = env_->plugin().CreateService<IDzsbMgr>();
    rcsb_ = env_->plugin().CreateService<IRcsbDAO>();
    dao_ = env_->plugin().CreateService<IYjxxDao>();
    // The roster knows the first person's items; the others and the extra row stay unmatched.
    auto [person, items] = sim_.WithState([](taxsim::State& s) {
      std::vector<taxsim::Item> mine;
      for (const auto& i : s.items)
        if (i.rydjxh == s.persons.front().rydjxh) mine.push_back(i);
      return std::make_pair(s.persons.front(), mine);
    });
    items_ = items.size();
    Exec("insert into sb_ryjbxxb(djxh, rydjxh, xm, zjlx, zjhm) values ('" + kPayer + "', '" + person.rydjxh +
         "', '" + person.xm + "', '" + person.zjlxDm + "', '" + person.zjhm + "')");
    for (const auto& i : items) {
      Exec("insert into sb_rycbxmb(djxh, rydjxh, sbjbjgdm, rybh, zsxmdm, zspmdm, tzjfyf) values ('" + kPayer +
           "', '" + i.rydjxh + "', '" + i.sbjbjgDm + "', '" + i.rybh + "', '" + i.zsxmDm + "', '" + i.zspmDm +
           "', '2026-12')");
    }
    xm_ = person.xm;
  }
  ~Payable() override {
    FaultInjection::Clear();
    svc_ = nullptr;
    dzsb_ = nullptr;
    rcsb_ = nullptr;
    dao_ = nullptr;
    env_.reset();
  }
  static taxsim::SimulatorOptions Options() {
    taxsim::SimulatorOptions o;
    o.generate.persons = 4;
    o.generate.payers = 1;
    o.generate.seed = 7;
    o.asyncPendingPolls = 1;
    return o;
  }
  Ref<IDBMechanism> Db() {
    std::string error;
    return host::db::OpenDatabase(env_->dataDir() + "/velmor.db", "test", &error);
  }
  void Exec(const std::string& sql) { ASSERT_TRUE(Db()->ExecSQL(sql)) << sql; }
  std::string Get(const std::string& sql) {
    Ref<IDBDataSet> ds;
    Ref<IDBMechanism> db = Db();
    if (!db->OpenQuery(sql, ds)) return "<error: " + db->GetErrorText() + ">";
    return ds->Eof() ? "<none>" : ds->Fields()->FieldByIndex(0)->AsString();
  }
  int Rows() { return std::stoi(Get("select count(*) from sb_dzzjxxb")); }
  void Fault(const std::string& json) { sim_.Faults().Add(taxsim::ParseFault(nlohmann::json::parse(json))); }
  bool Download(const std::string& options, int32_t& count, std::string& message) {
    return svc_->downloadData("2026", options, nullptr, count, message);
  }

  taxsim::Simulator sim_;
  std::unique_ptr<LoadedPlugin> env_;
  Ref<IYjxxService> svc_;
  Ref<IYjxxDao> dao_;
  Ref<IDzsbMgr> dzsb_;
  Ref<IRcsbDAO> rcsb_;
  size_t items_ = 0;
  std::string xm_;
};

}  // namespace velmor::testing
