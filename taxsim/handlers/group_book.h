// The declaration list of the collective ("8") and government ("9") payers, answered by the
// daily declaration's "0053" handler when the call names one of those payer types
// (taxsim/handlers/groups.cpp). Called under the simulator's state lock.
#pragma once

#include "taxsim/answer.h"
#include "taxsim/call.h"
#include "taxsim/state.h"

namespace velmor::taxsim {

inline bool IsGroupJfrlx(const std::string& jfrlx) { return jfrlx == "8" || jfrlx == "9"; }

// The payer's group declarations of that type that hold a voucher, with one list entry each.
Answer GroupDeclarationList(const Call& call, State& state);

}  // namespace velmor::taxsim
