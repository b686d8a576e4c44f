#include "store/background/host_thread.h"

#include <atomic>
#include <thread>

#include "velmor/platform.h"

namespace velmor {
namespace {
std::atomic<std::thread::id> g_hostThread{};
}

void NoteHostThread() { g_hostThread.store(std::this_thread::get_id()); }
void ForgetHostThread() { g_hostThread.store(std::thread::id()); }
bool OnHostThread() {
  std::thread::id id = g_hostThread.load();
  return id != std::thread::id() && id == std::this_thread::get_id();
}
void ProcessHostMessagesIfMain() {
  if (OnHostThread()) platform::ProcessMessages();
}

}  // namespace velmor
