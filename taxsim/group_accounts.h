// The collective ("8") and government ("9") payer accounts the simulated server knows
// (State::groups): {djxh, jfrlx, nsrmc, units: [unit]}, a unit holding the registration columns
// the client stores (zgswjgDm, zgswksDm, jfrztDm, xnhflbs, yxbz, sbjbjgDm, dwbh, jfrlx, ssxzqhdm,
// lxrxm, lxdh, lxdz) and its insured lines "cbxzList" (cbxzId, zsxmDm, zspmDm, zszmDm, xzlxdm,
// jdxzdm, sqczdm).
//
// Called under the simulator's state lock, like the handlers.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "taxsim/state.h"

namespace velmor::taxsim {

// The djxh of the generated collective and government accounts of payer k (from 1).
std::string GroupDjxh(std::string_view jfrlx, int64_t k);

// One collective and one government account beside the first payer: a valid unit of its agency
// and office, insured for the kinds of its persons' items, and a closed unit of another office.
nlohmann::json GenerateGroupAccounts(const State& state);

// The account of a djxh; null when it is none.
const nlohmann::json* FindGroupAccount(const State& state, std::string_view djxh);

}  // namespace velmor::taxsim
