#include "host/cancel.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

#include "host/host_error.h"

namespace velmor::host {
namespace {

std::atomic<bool> g_cancel{false};
std::atomic<bool> g_installed{false};
struct sigaction g_previous {};

static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnInterrupt(int sig) {
  if (g_cancel.exchange(true)) {
    // Second Ctrl-C: give the signal its default meaning and deliver it again.
    std::signal(sig, SIG_DFL);
    std::raise(sig);
    return;
  }
  static const char kNote[] = "\nvelmor: 正在取消…（再按一次 Ctrl-C 立即退出）\n";
  ssize_t ignored = ::write(STDERR_FILENO, kNote, sizeof kNote - 1);
  (void)ignored;
}

}  // namespace

CancelHandler::CancelHandler() {
  if (g_installed.exchange(true)) throw HostError("a Ctrl-C handler is already installed");
  g_cancel.store(false);
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;  // a slow read or write goes on; the operation checks the flag
  if (::sigaction(SIGINT, &sa, &g_previous) != 0) {
    g_installed.store(false);
    throw HostError(std::string("cannot handle Ctrl-C: ") + std::strerror(errno));
  }
}

CancelHandler::~CancelHandler() {
  ::sigaction(SIGINT, &g_previous, nullptr);
  g_cancel.store(false);
  g_installed.store(false);
}

bool CancelRequested() { return g_cancel.load(std::memory_order_relaxed); }
void RequestCancel() { g_cancel.store(true); }
void ClearCancelRequest() { g_cancel.store(false); }

}  // namespace velmor::host
