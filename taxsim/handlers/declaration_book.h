// The declarations the simulated server holds (State::declarations), shared by the handlers of
// the two forms of submission (declaration.cpp, declaration_second_form.cpp): an entry is
// {yblsh, tranSeq, djxh, yzpzxh, state, yjfe, paid, persons}, its `state` one of "pending",
// "declared", "failed", "voided".
//
// Called by handlers under the simulator's state lock.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "taxsim/answer.h"
#include "taxsim/call.h"
#include "taxsim/state.h"

namespace velmor::taxsim {

// "%.2f"
std::string Money(double v);
// The first entry whose text member `key` is `value`; null when there is none.
nlohmann::json* FindDeclaration(State& state, const char* key, const std::string& value);
// A new pending entry from a submission call (its persons from the document's sbfJfsbbmxDTO
// rows), appended to the state; the first person's jhsx is its steering mode.
nlohmann::json& AddDeclaration(const Call& call, State& state);
std::string DeclarationMode(const nlohmann::json& entry);
// The final answer of an entry: failed (cwmxList with the persons whose cxjmsbbm starts with
// "ERR") or declared (a voucher number and ybtfe).
Answer FinalAnswer(State& state, nlohmann::json& entry);

}  // namespace velmor::taxsim
