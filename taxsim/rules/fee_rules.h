// The residents' fee standards the simulator serves: rule "cxjmJfbzGz" of the rule set (its gzLb
// holds pmlxLb, jffsLb, jfsxxLb and jfdcLb, docs/fees.md), and the grades "0042" answers, taken
// from the same rows. The levies and grade amounts agree with the set's "pmlxGz", "jfbzGz" and
// "cxjmyjfedcGz"; some rows name no agency, detail or sex and apply to all of them.
//
// Plain functions; the caller holds the simulator's state lock.
#pragma once

#include <set>
#include <string>

#include <nlohmann/json.hpp>

namespace velmor::taxsim {

// The gzLb object of "cxjmJfbzGz" for the agencies of the state.
nlohmann::json FeeRules(const std::set<std::string>& agencies);

// The grades ({"dcdm", "dcje"}, ascending) of a line under the rules: the rows of its item and
// sub-item whose agency and detail match or are left open, the most specific ones only, without
// an age (the request carries none).
nlohmann::json FeeGrades(const nlohmann::json& gzLb, const std::string& sbjbjgDm, const std::string& zsxmDm,
                         const std::string& zspmDm, const std::string& zszmDm);

}  // namespace velmor::taxsim
