// What the simulator's fee handlers remember between calls: the deduction authorisations
// ("0039"), the online-signed agreements ("0044"-"0048") and the two-party agreements ("0106"),
// per payer. One book per registry, shared by the handlers' closures; used under the simulator's
// state lock like the handlers.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "taxsim/handlers.h"

namespace velmor::taxsim {

struct FeeBook {
  using Row = nlohmann::ordered_json;
  std::map<std::string, std::vector<Row>> authorisations;  // djxh -> "0039" bodies
  std::map<std::string, Row> agreements;                   // sfxydjuuid -> ZSsfxyVO members
  std::map<std::string, std::vector<Row>> llxy;            // djxh -> two-party agreements
  int serial = 0;                                          // numbers and identifiers handed out
};
using FeeBookPtr = std::shared_ptr<FeeBook>;

// "0037"-"0048" (taxsim/handlers/fees_agreements.cpp) and "0105", "0106", "0111"
// (taxsim/handlers/fees_llxy.cpp).
void RegisterConfirmationHandlers(HandlerRegistry& registry, const FeeBookPtr& book);
void RegisterLlxyHandlers(HandlerRegistry& registry, const FeeBookPtr& book);

}  // namespace velmor::taxsim
