// The business model's few lines for the host debugger: reference-count traces, failed date
// conversions and objects destroyed while still referenced.
//
// Each call obtains the debugger afresh from the host's service factory and does nothing when
// there is none or it reports itself inactive. Safe on any thread the host factory allows.
#pragma once

#include <string_view>

namespace velmor {

// The category under which the business model writes its debugger lines.
inline constexpr const char* kBusinessLogCategory = "TBusinessObject";
inline constexpr int kBusinessLogLevel = 0;

// IDebugger::WriteLog(message, kBusinessLogCategory, level) when a debugger is active. Debugger
// failures propagate to the caller.
void WriteBusinessLog(std::string_view message, int level = kBusinessLogLevel);

// The same, for callers that must not throw (reference counting, destructors): failures of the
// debugger are swallowed.
void WriteBusinessLogNoThrow(std::string_view message, int level = kBusinessLogLevel) noexcept;

}  // namespace velmor
