// Shared pieces of the host network tests: a simulator on a free loopback port with a NetComm
// pointed at it, a recording progress view, and a request builder.
#pragma once

#include <gtest/gtest.h>

#include "host/net/net_comm.h"
#include "taxsim/simulator.h"
#include "velmor/object.h"

namespace velmor::testing {

class RecordingProgress : public Object<IProgressView> {
 public:
  int32_t GetPosition() override { return position; }
  void SetPosition(int32_t p) override { position = p; }
  void StartProgress(const std::string&, int32_t, const std::string&) override {}
  void EndProgress() override {}
  void SetMessage(const std::string&) override {}
  int32_t GetMaximum() override { return 100; }
  int32_t GetHandle() override { return -1; }
  bool IsCancelled() override { return cancelled; }
  int32_t position = 0;
  bool cancelled = false;
};

inline taxsim::SimulatorOptions SmallSimulator() {
  taxsim::SimulatorOptions o;
  o.generate = {.persons = 10, .payers = 1, .seed = 1};
  return o;
}

inline host::net::NetOptions NetTo(const std::string& url, int timeoutMs = 20000) {
  host::net::NetOptions o;
  o.serverUrl = url;
  o.transport.connectTimeoutMs = 5000;
  o.transport.timeoutMs = timeoutMs;
  o.batchThreads = 4;
  return o;
}

class NetFixture : public ::testing::Test {
 protected:
  NetFixture() : sim_(SmallSimulator()) {
    sim_.Start();
    net_ = Make<host::net::NetComm>(NetTo(sim_.Url()));
  }

  Ref<IRequest> NewRequest(const std::string& code, const std::string& body, const std::string& serial = "") {
    Ref<IRequest> r = net_->CreateRequest();
    r->SetServiceCode(code);
    if (!serial.empty()) r->SetSerialNo(serial);
    r->SetBody(body);
    return r;
  }
  void Fault(const std::string& json) { sim_.Faults().Add(taxsim::ParseFault(nlohmann::json::parse(json))); }

  taxsim::Simulator sim_;
  Ref<host::net::NetComm> net_;
};

}  // namespace velmor::testing
