#include "business/debug_log.h"

#include <string>

#include "framework/registry.h"

namespace velmor {

void WriteBusinessLog(std::string_view message, int level) {
  Ref<IDebugger> debugger = GetDebugger();
  if (!debugger || !debugger->IsActive()) return;
  const std::string text(message);
  debugger->WriteLog(text.c_str(), kBusinessLogCategory, level);
}

void WriteBusinessLogNoThrow(std::string_view message, int level) noexcept {
  try {
    WriteBusinessLog(message, level);
  } catch (...) {
    // A trace line must never turn a reference-count change or a destructor into a failure.
  }
}

}  // namespace velmor
