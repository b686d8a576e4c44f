// The simulator's handler units: each service code belongs to one unit, so that a unit choosing a
// code another already serves fails here instead of silently replacing its handler.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "taxsim/handlers.h"

namespace velmor::taxsim {
namespace {

// Codes a unit wraps on purpose: the unit's handler answers its own requests and hands the others
// to the handler registered before it.
const std::map<std::string, std::string> kWrapped = {{"0042", "fees"}};

TEST(HandlerUnits, NoTwoUnitsServeTheSameCode) {
  std::map<std::string, std::string> owner;
  for (const HandlerUnit& unit : BuiltinHandlerUnits()) {
    HandlerRegistry alone;
    unit.add(alone);
    EXPECT_FALSE(alone.Codes().empty()) << unit.name;
    for (const std::string& code : alone.Codes()) {
      auto [it, fresh] = owner.emplace(code, unit.name);
      if (fresh) continue;
      auto wrapped = kWrapped.find(code);
      EXPECT_TRUE(wrapped != kWrapped.end() && wrapped->second == unit.name)
          << "code " << code << " of unit \"" << unit.name << "\" is already served by \"" << it->second << "\"";
    }
  }
}

TEST(HandlerUnits, EveryCodeIsFourDigitsAndTheBuiltinSetIsTheUnion) {
  HandlerRegistry all;
  RegisterBuiltinHandlers(all);
  std::set<std::string> expected;
  for (const HandlerUnit& unit : BuiltinHandlerUnits()) {
    HandlerRegistry alone;
    unit.add(alone);
    for (const std::string& code : alone.Codes()) expected.insert(code);
  }
  std::vector<std::string> codes = all.Codes();
  EXPECT_EQ(std::set<std::string>(codes.begin(), codes.end()), expected);
  for (const std::string& code : codes) {
    EXPECT_EQ(code.size(), 4u) << code;
    EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos) << code;
  }
}

}  // namespace
}  // namespace velmor::taxsim
