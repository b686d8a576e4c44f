// The road of a server exchange end to end: the plug-in's taxML code, inside a started reference
// host (whose network, common functions, portal agent and message components it obtains from the
// host's factory), against the simulator on a free loopback port.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "codec/taxml_exchange.h"
#include "framework/taxml_host.h"
#include "codec/taxml_response.h"
#include "support/host_fixture.h"
#include "taxsim/simulator.h"

namespace velmor::testing {

inline const std::string kDjxh = "10000000000000000001";

class TaxmlFixture : public ::testing::Test {
 protected:
  TaxmlFixture() : sim_(Options()) {
    sim_.Start();
    Restart(sim_.Url());
  }
  ~TaxmlFixture() override {
    taxml::ReleaseHostComponents();
    host_.reset();
  }

  static taxsim::SimulatorOptions Options() {
    taxsim::SimulatorOptions o;
    o.generate = {.persons = 20, .payers = 1, .seed = 1};
    o.asyncPendingPolls = 2;
    return o;
  }

  // (Re)starts the host pointed at url with extra [server] settings.
  void Restart(const std::string& url, const std::string& serverExtra = "") {
    taxml::ReleaseHostComponents();
    host_.reset();
    host_ = std::make_unique<StartedHost>("[server]\nurl = " + url + "\n" + serverExtra + "[portal]\ndjxh = " + kDjxh +
                                          "\n[messages]\n30035 = 该凭证已作废\n");
  }

  void Fault(const std::string& json) { sim_.Faults().Add(taxsim::ParseFault(nlohmann::json::parse(json))); }

  // A diagnostics call ("9001") with a document.
  taxml::Call Diagnose(const taxml::RequestDocument* doc = nullptr) {
    taxml::Call c;
    c.serviceCode = "9001";
    c.document = doc;
    return c;
  }

  // The value the diagnostics answer echoes for a document element.
  static std::string Echoed(const taxml::Response& r, const std::string& element) {
    for (pugi::xml_node row : r.List("elementList").children("elementDTO"))
      if (element == row.child_value("name")) return row.child("rows") ? row.child_value("rows") : row.child_value("value");
    return "<absent>";
  }
  static std::string EchoedKey(const taxml::Response& r, const std::string& key) {
    for (pugi::xml_node row : r.List("keyList").children("keyDTO"))
      if (key == row.child_value("name")) return row.child_value("value");
    return "<absent>";
  }

  taxsim::Simulator sim_;
  std::unique_ptr<StartedHost> host_;
};

}  // namespace velmor::testing
