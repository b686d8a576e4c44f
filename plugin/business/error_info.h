// TErrorInfo: the error code and message a service hands back (IErrorInfo; published
// "ErrorCode" and "ErrorMsg"). Code 0 after construction, 1 after ClearError.
//
// SetError / SetErrorFmt record the error first, then write "UpdateError:" + message to the host's
// debug log (category "TErrorInfo", error level) when the message is not empty; a failing debugger
// does not undo or hide the error just recorded. One thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include "business/business_object.h"
#include "velmor/error_info.h"

namespace velmor {

class TErrorInfo : public Implements<TBusinessObject, IErrorInfo> {
 public:
  int32_t GetErrorCode() override { return ErrorCode; }
  std::string GetErrorMsg() override { return ErrorMsg; }
  void SetErrorCode(int32_t code) override { ErrorCode = code; }
  void SetErrorMsg(const std::string& message) override { ErrorMsg = message; }
  void* GetObject() override { return TBusinessObject::GetObject(); }
  void AssignError(IErrorInfo* source) override;
  void ClearError() override;
  void SetError(int32_t code, const std::string& message) override;
  void SetErrorFmt(int32_t code, const std::string& format, std::span<const Variant> args) override;
  using IErrorInfo::SetErrorFmt;

  int32_t ErrorCode = 0;
  std::string ErrorMsg;

  VELMOR_PUBLISHED(TErrorInfo, TBusinessObject,
                   Prop<&TErrorInfo::ErrorCode>("ErrorCode", types::Integer),
                   Prop<&TErrorInfo::ErrorMsg>("ErrorMsg", types::WideString))
};

}  // namespace velmor
