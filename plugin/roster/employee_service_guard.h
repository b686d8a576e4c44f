// TEmployeeServiceImpl::Run on the common boundary, shared by the service's implementation files:
// a taxml::Failure reaches the user as it stands, any other failure after the operation's prefix.
#pragma once

#include "codec/taxml_exchange.h"
#include "framework/boundary.h"
#include "framework/log.h"
#include "roster/employee_service.h"

namespace velmor {

template <class F>
bool TEmployeeServiceImpl::Run(std::string_view op, const char* prefix, bool bracketed, std::string& message,
                               F&& body) {
  ErrorMessage.clear();
  message.clear();
  const bool ok =
      Attempt<taxml::Failure>({"TEmployeeServiceImpl", op, bracketed ? LogForm::kBracketed : LogForm::kTrailing},
                              {prefix, true, UnknownText::kShown}, &message, std::forward<F>(body));
  if (!ok) ErrorMessage = message;
  return ok;
}

}  // namespace velmor
