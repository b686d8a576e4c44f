// Ctrl-C as a cancel request on the command line.
//
// While a CancelHandler is installed, the first SIGINT does not end the process: it sets a flag
// that long operations see (CancelRequested, the terminal progress view's IsCancelled) so they can
// stop cleanly and leave nothing half-written; a second SIGINT before the request is cleared ends
// the process as usual. The flag is a lock-free atomic, safe to read from any thread and set from
// the signal handler. One handler may be installed per process at a time.
#pragma once

namespace velmor::host {

class CancelHandler {
 public:
  // Installs the SIGINT handler and clears any earlier request. Raises HostError when another
  // CancelHandler is installed or the handler cannot be set.
  CancelHandler();
  // Restores the SIGINT disposition found at installation.
  ~CancelHandler();
  CancelHandler(const CancelHandler&) = delete;
  CancelHandler& operator=(const CancelHandler&) = delete;
};

bool CancelRequested();
// The same effect as a first Ctrl-C (for tests and for commands that cancel on other grounds).
void RequestCancel();
// Forgets the request, e.g. once the cancelled operation has returned.
void ClearCancelRequest();

}  // namespace velmor::host
