// MessagePump: the command line's process-messages hook.
//
// The plug-in runs platform::ProcessMessages between the steps of long operations (StepProgress).
// While a MessagePump lives, that call redraws the watched progress view (so the display keeps
// moving at its own pace even when positions change faster than it redraws) and Ctrl-C is a clean
// cancel request (host/cancel.h) that the operation sees through IProgressView::IsCancelled.
// One pump per process; create and destroy it on the main thread.
//
//   host::MessagePump pump;                     // during a long command
//   auto view = Make<host::TerminalProgressView>();
//   pump.Watch(view);
//   service->Download(..., view.get());        // the plug-in steps the view and pumps
//   if (host::CancelRequested()) { ... report "cancelled" ... }
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "host/cancel.h"
#include "host/terminal_progress.h"
#include "velmor/ref.h"

namespace velmor::host {

class MessagePump {
 public:
  // Installs the hook and, when handleCtrlC, a CancelHandler (raising HostError if one exists).
  explicit MessagePump(bool handleCtrlC = true);
  // Removes the hook (and the Ctrl-C handler); a pending cancel request is forgotten.
  ~MessagePump();
  MessagePump(const MessagePump&) = delete;
  MessagePump& operator=(const MessagePump&) = delete;

  // The view the hook refreshes; null to stop.
  void Watch(Ref<TerminalProgressView> view);
  // How many times the hook has run.
  int64_t Calls() const { return calls_.load(); }

 private:
  void Pump();

  std::unique_ptr<CancelHandler> cancel_;
  std::mutex mutex_;
  Ref<TerminalProgressView> view_;
  std::atomic<int64_t> calls_{0};
};

}  // namespace velmor::host
