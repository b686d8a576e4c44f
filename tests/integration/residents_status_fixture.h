// The residents' declaration states of the real plug-in: the status service
// (ICXJMSBStatusQueryService) and the state store (IRysbztDAO), loaded through the exports by the
// reference host, against the simulator on loopback, on a temporary SQLite file. The host's
// yes/no questions are answered by `answer_` and recorded by the host's UI manager.
#pragma once

#include <cstdlib>
#include <string>

#include "host/db/database.h"
#include "host/db/fault_injection.h"
#include "scheme_fixture.h"
#include "velmor/cxjm_sbzt_query.h"
#include "velmor/rysbzt_dao.h"

namespace velmor::testing {

// Short waits for the asynchronous jobs while a test runs (3 polls of 20 ms per wait).
struct ShortWait {
  ShortWait() { ::setenv("VELMOR_JOB_POLL", "3,20", 1); }
  ~ShortWait() { ::unsetenv("VELMOR_JOB_POLL"); }
};

class SbztFixture : public SchemeFixture {
 protected:
  explicit SbztFixture(int persons = 30, const std::string& moreConfig = "")
      : SchemeFixture(persons, 1, moreConfig) {
    status_ = env_->plugin().CreateService<ICXJMSBStatusQueryService>();
    store_ = env_->plugin().CreateService<IRysbztDAO>();
    env_->host().UI().SetAnswerer([this](const std::string&) { return answer_; });
  }
  ~SbztFixture() override {
    host::db::FaultInjection::Clear();
    status_ = nullptr;
    store_ = nullptr;
  }

  void Refuse(const std::string& code, const std::string& service) {
    Fault(R"({"kind": "refuse", "code": ")" + code + R"(", "message": "拒绝", "serviceCode": ")" + service + "\"}");
  }
  void Exec(const std::string& sql) {
    std::string error;
    Ref<IDBMechanism> db = host::db::OpenDatabase(env_->dataDir() + "/velmor.db", "test", &error);
    ASSERT_TRUE(db && db->ExecSQL(sql)) << sql << " " << error << (db ? db->GetErrorText() : "");
  }
  // The local lines as "xzid:sbzt" joined by ",", in xzid order (sbzt "-" while never asked).
  std::string States(const std::string& where = "") {
    return Scalar("select group_concat(xzid || ':' || ifnull(sbzt, '-'), ',') from (select xzid, sbzt from "
                  "sb_rycbxmb where djxh = '" + kPayer + "'" + where + " order by xzid)");
  }
  // Whether the simulator declares the line (the last digit of its xzid is even).
  static bool SimDeclared(const std::string& xzid) { return (xzid.back() - '0') % 2 == 0; }
  std::string Query(const std::string& jfnd = "2024") { return R"({"jfnd": ")" + jfnd + R"("})"; }
  std::vector<std::string> Asked() { return env_->host().UI().Asked(); }

  bool answer_ = true;
  Ref<ICXJMSBStatusQueryService> status_;
  Ref<IRysbztDAO> store_;
};

}  // namespace velmor::testing
