// The collective and government payers of the real plug-in, loaded by the reference host through
// its exports, against the simulator on loopback (generated with one collective and one
// government account beside the first payer), on the data directory's temporary SQLite file.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "host/db/fault_injection.h"
#include "support/host_fixture.h"
#include "taxsim/faults.h"
#include "taxsim/group_accounts.h"
#include "taxsim/simulator.h"
#include "velmor/bzdj.h"
#include "velmor/employee_dao.h"

namespace velmor::testing {

using Json = nlohmann::ordered_json;
using host::db::FaultInjection;

inline const std::string kCollective = taxsim::GroupDjxh("8", 1);
inline const std::string kGovernment = taxsim::GroupDjxh("9", 1);

class GroupsFixture : public ::testing::Test {
 protected:
  GroupsFixture() : sim_(Options()) {
    sim_.Start();
    env_ = std::make_unique<LoadedPlugin>("[server]\nurl = " + sim_.Url() + "\n[portal]\ndjxh = " + kCollective + "\n");
    jt_ = env_->plugin().CreateService<IJtbzhIntf>();
    zf_ = env_->plugin().CreateService<IZfdjhIntf>();
    zf_->SetDjxh(kGovernment);
    dao_ = env_->plugin().CreateService<IEmployeeDao>();
  }
  ~GroupsFixture() override {
    FaultInjection::Clear();
    jt_ = nullptr;
    zf_ = nullptr;
    dao_ = nullptr;
    env_.reset();
  }

  static taxsim::SimulatorOptions Options() {
    taxsim::SimulatorOptions o;
    o.generate.persons = 12;
    o.generate.payers = 1;
    o.generate.seed = 7;
    o.asyncPendingPolls = 1;
    return o;
  }

  Json Query(const std::string& sql) { return Json::parse(dao_->getData(sql)); }
  std::string Scalar(const std::string& sql) {
    Json rows = Query(sql);
    if (rows.empty()) return "<none>";
    return rows[0].begin().value().get<std::string>();
  }
  int Count(const std::string& sql) { return std::stoi(Scalar(sql)); }
  // Row counts of the five tables, "units/insured/lines/records/record lines/entries".
  std::string Tables() {
    std::string out;
    for (const char* t : {"ds_jtbzhcbxxb", "ds_jtbzhcbxzb", "ds_jtbz", "ds_jtbzhsbjlb", "ds_jtbzhsbjlmxb",
                          "ds_jtbzhsbjlqdb"})
      out += (out.empty() ? "" : "/") + Scalar(std::string("select count(*) from ") + t);
    return out;
  }
  void Fault(const std::string& json) { sim_.Faults().Add(taxsim::ParseFault(nlohmann::json::parse(json))); }

  static Json Line(const std::string& rybh, double yjfe, const std::string& xm = "张三",
                   const std::string& jfnd = "2024") {
    return {{"jfnd", jfnd}, {"sbjbjgdm", "11101000001"}, {"dwbh", "JT801"},
            {"rybh", rybh}, {"xzlxdm", "1"},             {"xm", xm},
            {"zjlx", "201"}, {"zjhm", "11010119900101" + rybh.substr(rybh.size() - 4)}, {"yjfe", yjfe}};
  }
  void Add(IBzDjIntf& svc, const Json& lines) {
    int32_t added = 0;
    ASSERT_TRUE(svc.addDatas(lines.dump(), nullptr, added)) << svc.GetErrorMessage();
    ASSERT_EQ(added, static_cast<int32_t>(lines.size()));
  }
  static std::string DeclareParams(const std::string& jfnd = "2024") {
    return Json{{"zgswjgDm", "11101000001"}, {"sbjbjgDm", "11101000001"}, {"jfnd", jfnd}}.dump();
  }
  int32_t Declare(IBzDjIntf& svc, const std::string& jfnd = "2024") {
    int32_t id = 0;
    EXPECT_TRUE(svc.synCxjmjtbzsb(DeclareParams(jfnd), nullptr, id)) << svc.GetErrorMessage();
    return id;
  }
  std::string Verdict(IBzDjIntf& svc, int32_t id) {
    std::string sbzt;
    EXPECT_TRUE(svc.synCxjmjtbzsbjgCx(id, nullptr, sbzt)) << svc.GetErrorMessage();
    return sbzt;
  }
  // "sbzt|jkzt|cljgDm|yzpzxh|yjfehj|sbrq" of a record.
  std::string Record(int32_t id) {
    Json r = Query("select sbzt, jkzt, ifnull(cljgDm, '') as c, ifnull(yzpzxh, '') as y, ifnull(yjfehj, '') as h, "
                   "sbrq from ds_jtbzhsbjlb where id = " + std::to_string(id));
    if (r.empty()) return "<none>";
    std::string out;
    for (auto it = r[0].begin(); it != r[0].end(); ++it) out += (out.empty() ? "" : "|") + it->get<std::string>();
    return out;
  }
  void Pay(const std::string& yzpzxh, double paid) {
    sim_.WithState([&](taxsim::State& s) {
      for (auto& d : s.declarations)
        if (d.value("yzpzxh", "") == yzpzxh) d["paid"] = paid;
      return 0;
    });
  }

  taxsim::Simulator sim_;
  std::unique_ptr<LoadedPlugin> env_;
  Ref<IJtbzhIntf> jt_;
  Ref<IZfdjhIntf> zf_;
  Ref<IEmployeeDao> dao_;
};

}  // namespace velmor::testing
