// IDebugger: the host's debug log. The plug-in reaches it through the service factory, afresh for
// every record (see the logging helpers of the plug-in's framework).
//
// Operations are in slot order. Texts are UTF-8. The host's implementation is safe to call from
// any thread.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

// Record levels (the `level` argument), the reference host's scale: smaller is more severe, and
// the host's threshold keeps records whose level is at most the threshold.
inline constexpr int32_t kLevelError = 0;
inline constexpr int32_t kLevelWarning = 1;
inline constexpr int32_t kLevelInfo = 2;
inline constexpr int32_t kLevelDebug = 3;

class IDebugger : public IInterface {
 public:
  VELMOR_IID("{58D16229-D65F-4693-BEA3-29BD8E9ECAD9}")
  virtual bool IsActive() = 0;
  virtual void EnterProc(const std::string& name, const std::string& detail) = 0;
  virtual void LeaveProc(const std::string& name, const std::string& detail) = 0;
  virtual void WriteLog(const char* message, const char* category, int32_t level) = 0;
  virtual void WriteText(const char* message, const char* category, int32_t level) = 0;
  // The wide-text form (bracketed exception lines take it); UTF-16 as the host records it.
  virtual void WriteWideText(const std::u16string& message, const std::u16string& category,
                             int32_t level) = 0;

 protected:
  ~IDebugger() = default;
};

}  // namespace velmor
