// TEmployeeServiceImpl::Run, shared by the service's implementation files.
#pragma once

#include <exception>

#include "codec/taxml_exchange.h"
#include "framework/log.h"
#include "roster/employee_service.h"

namespace velmor {

template <class F>
bool TEmployeeServiceImpl::Run(std::string_view op, const char* prefix, bool bracketed, std::string& message,
                               F&& body) {
  ErrorMessage.clear();
  message.clear();
  const std::string where = "TEmployeeServiceImpl." + std::string(op);
  std::string text;
  bool failure = false;
  try {
    std::forward<F>(body)();
    return true;
  } catch (const taxml::Failure& f) {
    text = f.what();
    failure = true;
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
    text = "未知异常";
  }
  try {
    if (bracketed)
      LogMessage("[异常]" + where + "：[" + text + "]", {}, kLevelError);
    else
      LogException(where, text);
  } catch (...) {
    // A failing debugger must not hide the failure being reported.
  }
  message = failure ? text : std::string(prefix) + text;
  ErrorMessage = message;
  return false;
}

}  // namespace velmor
