// LongOperation: how a command runs an operation that may take minutes. It owns the progress
// display on stderr (the plug-in steps it; the message pump keeps it moving while the server is
// slow) and makes Ctrl-C a clean cancel: the first press asks the operation to stop (the plug-in
// sees it through the view and rolls back what it had begun), the second ends the process at once.
//
//   LongOperation op("roster sync");
//   bool ok = svc->updateCbryxx(djxh, false, op.Start("全量下载参保人员", 1000), message);
//   op.Finished(ok);                 // raises Interrupted when Ctrl-C stopped it
//   if (!ok) session.Fail(message);
//
// One per process at a time; main thread only.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "host/message_pump.h"
#include "host/terminal_progress.h"
#include "velmor/progress_view.h"
#include "velmor/ref.h"

namespace velmor::cli {

// The operation stopped on Ctrl-C; main reports it and exits 130.
class Interrupted : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class LongOperation {
 public:
  static constexpr int kExitInterrupted = 130;

  explicit LongOperation(std::string caption);
  // -q: the displays of this process write nothing (Ctrl-C still cancels).
  static void SetQuiet(bool quiet);
  ~LongOperation();
  LongOperation(const LongOperation&) = delete;
  LongOperation& operator=(const LongOperation&) = delete;

  // Starts a step of the display labelled `label` (never shown empty); returns the view to hand
  // to the plug-in, which may start steps of its own on it.
  IProgressView* Start(const std::string& label, int32_t maximum = 100, bool counts = false);
  IProgressView* View() { return view_.get(); }

  // Call once the operation returned. When Ctrl-C was pressed and the operation did not complete,
  // raises Interrupted; when it completed anyway the request came too late and is only noted.
  // A completed step is drawn at 100%.
  void Finished(bool completed);

 private:
  host::MessagePump pump_;
  Ref<host::TerminalProgressView> view_;
  std::string caption_;
};

}  // namespace velmor::cli
