// The residents' fee services of the real plug-in, loaded by the reference host through its
// exports, against the simulator on a free loopback port, on the data directory's temporary
// SQLite file.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "support/host_fixture.h"
#include "taxsim/faults.h"
#include "taxsim/simulator.h"
#include "velmor/employee_dao.h"
#include "velmor/jfbz.h"
#include "velmor/jfjeqr_service.h"
#include "velmor/llxy_service.h"

namespace velmor::testing {

inline const std::string kFeePayer = "10000000000000000001";

class FeesFixture : public ::testing::Test {
 protected:
  FeesFixture() : sim_(Options()) {
    sim_.Start();
    env_ = std::make_unique<LoadedPlugin>("[server]\nurl = " + sim_.Url() + "\n[portal]\ndjxh = " + kFeePayer +
                                          "\n[messages]\n0046.FDA = 银行验证未通过，请核对账户信息\n"
                                          "0047.FBD = 银行拒绝撤销协议\n");
    jfbz_ = env_->plugin().CreateService<IJfbz>();
    jfjeqr_ = env_->plugin().CreateService<IJfjeqrService>();
    llxy_ = env_->plugin().CreateService<ILlxyService>();
    dao_ = env_->plugin().CreateService<IEmployeeDao>();
  }
  ~FeesFixture() override {
    jfbz_ = nullptr;
    jfjeqr_ = nullptr;
    llxy_ = nullptr;
    dao_ = nullptr;
    env_.reset();
  }

  static taxsim::SimulatorOptions Options() {
    taxsim::SimulatorOptions o;
    o.generate.persons = 5;
    o.generate.payers = 1;
    o.generate.seed = 7;
    o.asyncPendingPolls = 1;
    return o;
  }

  void Fault(const std::string& json) { sim_.Faults().Add(taxsim::ParseFault(nlohmann::json::parse(json))); }
  nlohmann::json Rows(const std::string& sql) { return nlohmann::json::parse(dao_->getData(sql)); }
  size_t Count(const std::string& sql) { return Rows(sql).size(); }

  // The shipped data files of the agreement screens, put where `velmor init` puts them.
  void InstallDataFiles() {
    namespace fs = std::filesystem;
    const fs::path to = fs::path(env_->dataDir()) / "M8" / "AppComs" / "Difference" / "Velmor";
    fs::create_directories(to);
    for (const char* name : {"sqyh.json", "行政区银行列表.json"})
      fs::copy_file(fs::path(VELMOR_SOURCE_DIR) / "data" / "M8" / "AppComs" / "Difference" / "Velmor" / name, to / name,
                    fs::copy_options::overwrite_existing);
  }

  taxsim::Simulator sim_;
  std::unique_ptr<LoadedPlugin> env_;
  Ref<IJfbz> jfbz_;
  Ref<IEmployeeDao> dao_;
  Ref<IJfjeqrService> jfjeqr_;
  Ref<ILlxyService> llxy_;
};

}  // namespace velmor::testing
