#include "framework/log.h"

#include "framework/format.h"
#include "framework/registry.h"
#include "velmor/platform.h"

namespace velmor {
namespace {

// The debugger when there is a factory and it reports itself active; null otherwise. Obtained
// afresh on every call and released by the caller's Ref.
Ref<IDebugger> ActiveDebugger() {
  Ref<IDebugger> d = GetDebugger();
  if (!d || !d->IsActive()) return nullptr;
  return d;
}

}  // namespace

void LogEnter(const std::string& name, const std::string& detail) {
  if (Ref<IDebugger> d = ActiveDebugger()) d->EnterProc(name, detail);
}

void LogLeave(const std::string& name, const std::string& detail) {
  if (Ref<IDebugger> d = ActiveDebugger()) d->LeaveProc(name, detail);
}

void LogText(const std::string& message, const std::string& category, int32_t level) {
  if (Ref<IDebugger> d = ActiveDebugger()) d->WriteLog(message.c_str(), category.c_str(), level);
}

void LogTextFmt(std::string_view format, std::span<const Variant> args, int32_t level,
                const std::string& category) {
  Ref<IDebugger> d = ActiveDebugger();
  if (!d) return;
  std::string message = Format(format, args);
  d->WriteLog(message.c_str(), category.c_str(), level);
}

void LogMessage(const std::string& message, const std::string& category, int32_t level) {
  Ref<IDebugger> d = ActiveDebugger();
  if (!d) return;
  if (!message.empty() && message[0] == '[') {
    d->WriteWideText(platform::Utf8ToUtf16(message), platform::Utf8ToUtf16(category), level);
  } else {
    d->WriteText(message.c_str(), category.c_str(), level);
  }
}

void LogException(std::string_view where, std::string_view text) {
  std::string line;
  line.reserve(where.size() + text.size() + 16);
  line.append("[").append(where).append("]异常：").append(text);
  LogMessage(line, {}, kLevelError);
}

LogScope::LogScope(std::string name, std::string detail) : name_(std::move(name)), detail_(std::move(detail)) {
  LogEnter(name_, detail_);
}

LogScope::~LogScope() {
  try {
    LogLeave(name_, detail_);
  } catch (...) {
    // A failing debugger must not turn a normal return into termination.
  }
}

}  // namespace velmor
