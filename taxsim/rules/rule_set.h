// The simulator's rule set: every rule the client's dictionary manager asks for ("swjgGz",
// "sbjbjgjdxzsqczdzGz", "xzGz", ...), each an object {"name", "md5", "gzLb"} whose md5 is the
// MD5 (lower-case hex) of its "gzLb" as compact JSON.
//
// The set is derived from a State: its tax offices, agencies, region, levy items and sub-items
// are the ones the state's payers and insured items use, so later services see one set of codes.
// Plain functions; the caller holds the simulator's state lock.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "taxsim/state.h"

namespace velmor::taxsim {

// Every rule name the set holds, in the set's order.
const std::vector<std::string>& RuleNames();

// The whole set for a state, as an array of rule objects.
nlohmann::json BuildRuleSet(const State& state);

// MD5 of a text as 32 lower-case hexadecimal digits.
std::string Md5Hex(const std::string& text);

// Fills in a missing "md5" of each rule object (scenario rules may leave it out).
void CompleteRuleMd5(nlohmann::json& rules);

// The rules of the state: state.rules when it holds any, else a generated set stored there.
const nlohmann::json& EnsureRules(State& state);

}  // namespace velmor::taxsim
