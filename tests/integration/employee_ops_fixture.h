// The employee service's server operations (slots 13 onward) through the loaded plug-in: one
// call form for all of them, parameters and answers as JSON.
#pragma once

#include "scheme_fixture.h"

namespace velmor::testing {

class EmployeeOpsFixture : public SchemeFixture {
 protected:
  using Op = bool (IEmployeeService::*)(const std::string&, const std::string&, IProgressView*, std::string&,
                                        std::string&);
  using Json = nlohmann::ordered_json;

  explicit EmployeeOpsFixture(int persons = 20, int payers = 2) : SchemeFixture(persons, payers) {}

  // Runs an operation for the fixture's payer; the answer ("null" JSON when none) and message.
  bool Run(Op op, const Json& params, Json& result, std::string& message) {
    std::string text;
    const bool ok = (svc_.get()->*op)(kPayer, params.is_null() ? "" : params.dump(), nullptr, text, message);
    result = text.empty() ? Json() : Json::parse(text);
    if (ok) {
      EXPECT_EQ(message, "");
    }
    EXPECT_EQ(svc_->GetErrorMessage(), message) << "the last-error text is the message";
    return ok;
  }
  // An operation that must succeed; its answer.
  Json Ok(Op op, const Json& params) {
    Json result;
    std::string message;
    EXPECT_TRUE(Run(op, params, result, message)) << message;
    return result;
  }
  // An operation that must fail; its message.
  std::string Fails(Op op, const Json& params) {
    Json result;
    std::string message;
    EXPECT_FALSE(Run(op, params, result, message)) << result.dump();
    return message;
  }

  taxsim::Person SimPersonAt(size_t k, const std::string& djxh = kPayer) {
    return sim_.WithState([&](taxsim::State& s) { return s.PersonsOf(djxh).first[k]; });
  }
  // Calls the simulator received for a service code since the start.
  size_t CallsOf(const std::string& code) {
    size_t n = 0;
    for (const auto& c : sim_.RecentCalls()) n += c.serviceCode == code;
    return n;
  }
  taxsim::SeenCall LastCall() { return sim_.RecentCalls().back(); }
};

}  // namespace velmor::testing
