// IErrorInfo: the error code and message a service hands back.
//
// A new object has code 0 and an empty message; ClearError sets code 1 and an empty message (the
// values of other codes belong to the services that set them). SetError and SetErrorFmt write
// "UpdateError:" + message to the host's debug log when the message is not empty. One thread at a
// time. Operations are in slot order.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

#include "velmor/interface.h"
#include "velmor/variant.h"

namespace velmor {

class IErrorInfo : public IInterface {
 public:
  VELMOR_IID("{47E59546-745A-4695-BB19-1B2166794D00}")
  virtual int32_t GetErrorCode() = 0;
  virtual std::string GetErrorMsg() = 0;
  virtual void SetErrorCode(int32_t code) = 0;
  virtual void SetErrorMsg(const std::string& message) = 0;
  virtual void* GetObject() = 0;
  // Copies the source's code and message (a null source changes nothing).
  virtual void AssignError(IErrorInfo* source) = 0;
  virtual void ClearError() = 0;
  virtual void SetError(int32_t code, const std::string& message) = 0;
  // Formats with the module's format routine ("%s", "%d", ...), then as SetError. A format that
  // does not fit its arguments raises EConvertError and changes nothing.
  virtual void SetErrorFmt(int32_t code, const std::string& format, std::span<const Variant> args) = 0;

  void SetErrorFmt(int32_t code, const std::string& format, std::initializer_list<Variant> args) {
    SetErrorFmt(code, format, std::span<const Variant>(args.begin(), args.size()));
  }

 protected:
  ~IErrorInfo() = default;
};

}  // namespace velmor
