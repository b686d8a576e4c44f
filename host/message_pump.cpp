#include "host/message_pump.h"

#include "host/host_error.h"
#include "velmor/platform.h"

namespace velmor::host {
namespace {
std::atomic<bool> g_pumpInstalled{false};
}  // namespace

MessagePump::MessagePump(bool handleCtrlC) {
  if (g_pumpInstalled.exchange(true)) throw HostError("a message pump is already installed");
  try {
    if (handleCtrlC) cancel_ = std::make_unique<CancelHandler>();
  } catch (...) {
    g_pumpInstalled.store(false);
    throw;
  }
  platform::SetProcessMessagesHook([this] { Pump(); });
}

MessagePump::~MessagePump() {
  platform::SetProcessMessagesHook({});
  cancel_.reset();
  g_pumpInstalled.store(false);
}

void MessagePump::Watch(Ref<TerminalProgressView> view) {
  std::lock_guard lock(mutex_);
  view_ = std::move(view);
}

void MessagePump::Pump() {
  ++calls_;
  Ref<TerminalProgressView> view;
  {
    std::lock_guard lock(mutex_);
    view = view_;
  }
  if (view) view->Refresh();
}

}  // namespace velmor::host
