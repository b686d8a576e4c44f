// The module's debug log: thin wrappers over the host debugger (IDebugger).
//
// Every function obtains the debugger afresh from the host's service factory, asks IsActive, and
// only then calls the one debugger operation it stands for; without a factory, or with an inactive
// debugger, it does nothing (no formatting either), so services call these unconditionally.
// Nothing is cached. Exceptions raised by the debugger (or by a format that does not fit its
// arguments) reach the caller, which runs inside its own exception guard. No state is kept, so
// any thread that may call the factory may log.
//
// A service's exception line is "[" + class + "." + operation + "]异常：" + text:
//   catch (const std::exception& e) { LogException("TPaymentMgr.GetQfxxLb", e.what()); ... }
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "velmor/debugger.h"
#include "velmor/variant.h"

namespace velmor {

// EnterProc / LeaveProc with the operation name ("TDictMgr.Update") and an optional detail.
void LogEnter(const std::string& name, const std::string& detail = {});
void LogLeave(const std::string& name, const std::string& detail = {});

// WriteLog(message, category, level).
void LogText(const std::string& message, const std::string& category = {}, int32_t level = kLevelInfo);

// Formats with Format (framework/format.h), then WriteLog as LogText does.
void LogTextFmt(std::string_view format, std::span<const Variant> args, int32_t level = kLevelInfo,
                const std::string& category = {});
inline void LogTextFmt(std::string_view format, std::initializer_list<Variant> args,
                       int32_t level = kLevelInfo, const std::string& category = {}) {
  LogTextFmt(format, std::span<const Variant>(args.begin(), args.size()), level, category);
}

// A message beginning with "[" goes to WriteWideText (message and category as UTF-16); any
// other message to WriteText.
void LogMessage(const std::string& message, const std::string& category = {}, int32_t level = kLevelInfo);

// The exception line of a service boundary: LogMessage("[" + where + "]异常：" + text) at
// kLevelError, where `where` is "Class.Method".
void LogException(std::string_view where, std::string_view text);

// Enter on construction, leave on destruction (a debugger failure on leaving is swallowed, since
// destructors must not throw).
class LogScope {
 public:
  explicit LogScope(std::string name, std::string detail = {});
  ~LogScope();
  LogScope(const LogScope&) = delete;
  LogScope& operator=(const LogScope&) = delete;

 private:
  std::string name_, detail_;
};

}  // namespace velmor
