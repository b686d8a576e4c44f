// The failure boundary of the payers' local operations: a store failure or refusal becomes the
// operation's fallback answer, its text the user message, and the log line
// "[异常]TBzDjImpl.<op>：[...]". Stateless.
#pragma once

#include <string>
#include <utility>

#include "framework/boundary.h"
#include "groups/bzdj_ops.h"
#include "service/server_call.h"
#include "store/db_access.h"

namespace velmor::groups {

template <class R, class F>
R Local(std::string& error, const char* op, R fallback, F&& body) {
  error.clear();
  return Guarded<StoreError, service::OpRefusal>({kClassName, op, LogForm::kBracketed},
                                                 {kDbQueryFailed, false, UnknownText::kLoggedOnly}, &error,
                                                 std::move(fallback), std::forward<F>(body));
}

}  // namespace velmor::groups
