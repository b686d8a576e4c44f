// The residents' services of the real plug-in (street changes, payment registration, basic
// information) on top of the scheme fixture: loaded through the exports by the reference host,
// against the simulator on loopback, on a temporary SQLite file.
#pragma once

#include "scheme_fixture.h"
#include "velmor/jdczbg_dao.h"
#include "velmor/jdczbg_service.h"
#include "velmor/object.h"
#include "velmor/progress_view.h"

namespace velmor::testing {

// A progress view that records what the services show: "caption/message" on start, "end".
class ProgressRecorder : public Object<IProgressView> {
 public:
  std::vector<std::string> seen;
  int32_t GetPosition() override { return 0; }
  void SetPosition(int32_t) override {}
  void StartProgress(const std::string& m, int32_t, const std::string& c) override { seen.push_back(c + "/" + m); }
  void EndProgress() override { seen.push_back("end"); }
  void SetMessage(const std::string&) override {}
  int32_t GetMaximum() override { return 100; }
  int32_t GetHandle() override { return -1; }
  bool IsCancelled() override { return false; }
};
inline const std::vector<std::string> kBusyShown = {"进度/正在处理，请稍等", "end"};

class ResidentsFixture : public SchemeFixture {
 protected:
  explicit ResidentsFixture(int persons = 40, int payers = 2) : SchemeFixture(persons, payers) {
    jdczbg_ = env_->plugin().CreateService<IJdczbgService>();
    jdczbgDao_ = env_->plugin().CreateService<IJdczbgDao>();
  }
  ~ResidentsFixture() override {
    jdczbg_ = nullptr;
    jdczbgDao_ = nullptr;
  }

  // The first persons of the simulator's first payer.
  taxsim::Person SimPersonAt(size_t k) {
    return sim_.WithState([&](taxsim::State& s) { return s.PersonsOf(kPayer).first[k]; });
  }
  void Refuse(const std::string& code, const std::string& service) {
    Fault(R"({"kind": "refuse", "code": ")" + code + R"(", "message": "拒绝", "serviceCode": ")" + service + "\"}");
  }
  void Garble(const std::string& service) {
    Fault(R"({"kind": "bad-base64", "serviceCode": ")" + service + "\"}");
  }

  // Drops the fixture's own services (the test drops its own first): their code goes with an
  // unload.
  void ReleaseServices() {
    mgr_ = nullptr;
    svc_ = nullptr;
    dao_ = nullptr;
    jdczbg_ = nullptr;
    jdczbgDao_ = nullptr;
  }
  // Unloads the plug-in and loads it again in the same host, on the same store; the scheme
  // store's dao_ is taken anew.
  void ReloadSameStore() {
    ReleaseServices();
    env_->Unload();
    env_->plugin().Load(PluginPath());
    env_->plugin().Start(0, static_cast<IServiceFactory*>(&env_->factory()), "DATADIR=" + env_->dataDir());
    dao_ = env_->plugin().CreateService<IEmployeeDao>();
  }

  Ref<IJdczbgService> jdczbg_;
  Ref<IJdczbgDao> jdczbgDao_;
};

}  // namespace velmor::testing
