// The residents' services of the real plug-in (street changes, payment registration, basic
// information) on top of the scheme fixture: loaded through the exports by the reference host,
// against the simulator on loopback, on a temporary SQLite file.
#pragma once

#include "scheme_fixture.h"
#include "velmor/jdczbg_dao.h"
#include "velmor/jdczbg_service.h"

namespace velmor::testing {

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

  Ref<IJdczbgService> jdczbg_;
  Ref<IJdczbgDao> jdczbgDao_;
};

}  // namespace velmor::testing
