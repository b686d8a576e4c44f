// The application window handle, registered windows and their messages, and the
// process-messages hook.
#include <atomic>
#include <map>
#include <memory>
#include <mutex>

#include "velmor/platform.h"

namespace velmor::platform {
namespace {

struct Window {
  std::string name;
  std::shared_ptr<MessageHandler> handler;
};

std::atomic<WindowHandle> g_app_handle{0};
std::mutex g_windows_mutex;
std::map<WindowHandle, Window> g_windows;
WindowHandle g_next_handle = 0x100;

std::mutex g_hook_mutex;
std::shared_ptr<std::function<void()>> g_hook;

}  // namespace

WindowHandle GetApplicationHandle() { return g_app_handle.load(); }
void SetApplicationHandle(WindowHandle handle) { g_app_handle.store(handle); }

WindowHandle RegisterWindow(const std::string& name, MessageHandler handler) {
  std::lock_guard lock(g_windows_mutex);
  WindowHandle h = g_next_handle++;
  g_windows[h] = Window{name, std::make_shared<MessageHandler>(std::move(handler))};
  return h;
}

void UnregisterWindow(WindowHandle handle) {
  std::lock_guard lock(g_windows_mutex);
  g_windows.erase(handle);
}

WindowHandle FindWindowByName(std::string_view name) {
  std::lock_guard lock(g_windows_mutex);
  for (const auto& [h, w] : g_windows)
    if (w.name == name) return h;
  return 0;
}

intptr_t SendMessage(WindowHandle handle, uint32_t msg, uintptr_t wparam, intptr_t lparam) {
  std::shared_ptr<MessageHandler> handler;
  {
    std::lock_guard lock(g_windows_mutex);
    auto it = g_windows.find(handle);
    if (it == g_windows.end()) return 0;
    handler = it->second.handler;
  }
  // Called outside the lock: a handler may register or send in turn.
  return (handler && *handler) ? (*handler)(msg, wparam, lparam) : 0;
}

void SetProcessMessagesHook(std::function<void()> hook) {
  std::lock_guard lock(g_hook_mutex);
  g_hook = hook ? std::make_shared<std::function<void()>>(std::move(hook)) : nullptr;
}

void ProcessMessages() {
  std::shared_ptr<std::function<void()>> hook;
  {
    std::lock_guard lock(g_hook_mutex);
    hook = g_hook;
  }
  if (hook) (*hook)();
}

}  // namespace velmor::platform
