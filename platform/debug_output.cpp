// Debug output: the channel a debugger attached to the process would see.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "velmor/platform.h"

namespace velmor::platform {
namespace {
std::mutex g_mutex;
std::function<void(std::string_view)> g_sink;
}  // namespace

void SetDebugOutputSink(std::function<void(std::string_view)> sink) {
  std::lock_guard lock(g_mutex);
  g_sink = std::move(sink);
}

void DebugOutput(std::string_view text) {
  std::lock_guard lock(g_mutex);
  if (g_sink) {
    g_sink(text);
    return;
  }
  static const bool enabled = std::getenv("VELMOR_DEBUG_OUTPUT") != nullptr;
  if (enabled) std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

}  // namespace velmor::platform
