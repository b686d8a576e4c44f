// TEmployeeServiceImpl::Run on the common boundary, shared by the service's implementation files:
// the operation's own refusals (service::OpRefusal) reach the user as they stand; any other
// failure, a network or job failure included, after the operation's prefix ("同步异常：" ...).
#pragma once

#include "codec/taxml_exchange.h"
#include "framework/boundary.h"
#include "framework/log.h"
#include "roster/employee_service.h"
#include "service/taxml_json.h"

namespace velmor {

template <class F>
bool TEmployeeServiceImpl::Run(std::string_view op, const char* prefix, bool bracketed, std::string& message,
                               F&& body) {
  ErrorMessage.clear();
  message.clear();
  const bool ok =
      Attempt<service::OpRefusal>({"TEmployeeServiceImpl", op, bracketed ? LogForm::kBracketed : LogForm::kTrailing},
                              {prefix, true, UnknownText::kShown}, &message, std::forward<F>(body));
  if (!ok) ErrorMessage = message;
  return ok;
}

}  // namespace velmor
