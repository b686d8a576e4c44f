// ErrorRecord: the caller's IErrorInfo that services such as the certificate service fill with
// the failure of an operation (code and message); and PropText, a published property of a
// plug-in record as text. One per command run; main thread only.
#pragma once

#include <span>
#include <string>

#include "velmor/business_object.h"
#include "velmor/error_info.h"
#include "velmor/object.h"

namespace velmor::cli {

class ErrorRecord : public Object<IErrorInfo> {
 public:
  int32_t GetErrorCode() override { return code_; }
  std::string GetErrorMsg() override { return message_; }
  void SetErrorCode(int32_t code) override { code_ = code; }
  void SetErrorMsg(const std::string& message) override { message_ = message; }
  void* GetObject() override { return this; }
  void AssignError(IErrorInfo* source) override {
    if (source) SetError(source->GetErrorCode(), source->GetErrorMsg());
  }
  void ClearError() override { SetError(1, ""); }
  void SetError(int32_t code, const std::string& message) override {
    code_ = code;
    message_ = message;
  }
  void SetErrorFmt(int32_t code, const std::string& format, std::span<const Variant>) override {
    SetError(code, format);
  }

 private:
  int32_t code_ = 0;
  std::string message_;
};

// The property `name` of a record handed out by the plug-in; empty when it has none.
inline std::string PropText(IInterface* item, const char* name) {
  Ref<IBusinessObject> o = Query<IBusinessObject>(Ref<IInterface>(item));
  return o && o->HasProperty(name) ? o->GetPropTextByName(name) : std::string();
}

}  // namespace velmor::cli
