// Process-wide window-class registry (the application-wide classes of the classic platform).
#include <algorithm>
#include <mutex>
#include <vector>

#include "velmor/platform.h"

namespace velmor::platform {
namespace {

std::mutex& Mutex() {
  static std::mutex m;
  return m;
}
std::vector<WindowClassInfo>& Classes() {
  static std::vector<WindowClassInfo> classes;
  return classes;
}

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

std::vector<WindowClassInfo>::iterator Find(std::string_view name) {
  return std::find_if(Classes().begin(), Classes().end(),
                      [&](const WindowClassInfo& c) { return SameName(c.name, name); });
}

}  // namespace

bool RegisterWindowClass(const WindowClassInfo& info) {
  if (info.name.empty()) return false;
  std::lock_guard lock(Mutex());
  if (Find(info.name) != Classes().end()) return false;
  Classes().push_back(info);
  return true;
}

bool UnregisterWindowClass(std::string_view name) {
  std::lock_guard lock(Mutex());
  auto it = Find(name);
  if (it == Classes().end()) return false;
  Classes().erase(it);
  return true;
}

bool GetWindowClassInfo(std::string_view name, WindowClassInfo* out) {
  std::lock_guard lock(Mutex());
  auto it = Find(name);
  if (it == Classes().end()) return false;
  if (out) *out = *it;
  return true;
}

}  // namespace velmor::platform
