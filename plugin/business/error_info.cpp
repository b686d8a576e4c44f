#include "business/error_info.h"

#include "framework/format.h"
#include "framework/log.h"

namespace velmor {

void TErrorInfo::AssignError(IErrorInfo* source) {
  if (!source) return;
  int32_t code = source->GetErrorCode();
  std::string message = source->GetErrorMsg();
  ErrorCode = code;
  ErrorMsg = std::move(message);
}

void TErrorInfo::ClearError() {
  ErrorCode = 1;
  ErrorMsg.clear();
}

void TErrorInfo::SetError(int32_t code, const std::string& message) {
  ErrorCode = code;
  ErrorMsg = message;
  if (message.empty()) return;
  try {
    LogMessage("UpdateError:" + message, "TErrorInfo", kLevelError);
  } catch (...) {
    // Errors are set inside the services' exception guards; a failing debug log must not escape
    // from there or replace the error being reported.
  }
}

void TErrorInfo::SetErrorFmt(int32_t code, const std::string& format, std::span<const Variant> args) {
  std::string message = Format(format, args);  // raises before anything is changed
  SetError(code, message);
}

}  // namespace velmor
