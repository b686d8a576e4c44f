// TWorkerThread: the task service's worker. Created suspended; once started it loops until told
// to stop:
//   1. wait up to 50 ms for the stop event; end when it is signalled;
//   2. take the next task: run it (an exception is logged as "TWorkerThread.Execute [<text>]"),
//      drop it and pause 50 ms; with no task, wait up to 30000 ms for the wake event.
// Both events are auto-reset. Stop signals the stop event and also the wake event, so a worker
// waiting for work ends at once instead of after its 30 seconds.
//
// Ownership: the service owns the worker and joins it (see ep_thread.h); the worker shares the
// service's task queue, not the service. Thread-safety: Stop and Wake may be called from any
// thread.
#pragma once

#include <memory>

#include "store/background/bg_task_queue.h"
#include "store/background/ep_thread.h"
#include "store/background/sync_event.h"

namespace velmor {

inline constexpr int kWorkerStopPollMs = 50;
inline constexpr int kWorkerIdleWaitMs = 30000;

class TWorkerThread final : public TEPThread {
 public:
  explicit TWorkerThread(std::shared_ptr<BgTaskQueue> queue, int idleWaitMs = kWorkerIdleWaitMs);
  ~TWorkerThread() override { StopThread(); }

  void Stop();
  void Wake() { wake_.Set(); }
  // How many times the worker has looked at the queue (tests).
  int64_t Polls() const { return polls_.load(); }

 protected:
  void Execute() override;
  void OnTerminate() override { Stop(); }

 private:
  std::shared_ptr<BgTaskQueue> queue_;
  const int idleWaitMs_;
  SyncEvent stop_, wake_;
  std::atomic<int64_t> polls_{0};
};

}  // namespace velmor
