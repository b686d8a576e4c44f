#include "store/background/worker_thread.h"

#include <exception>

#include "framework/log.h"

namespace velmor {

TWorkerThread::TWorkerThread(std::shared_ptr<BgTaskQueue> queue, int idleWaitMs)
    : TEPThread("TWorkerThread", true), queue_(std::move(queue)), idleWaitMs_(idleWaitMs) {}

void TWorkerThread::Stop() {
  stop_.Set();
  wake_.Set();
}

void TWorkerThread::Execute() {
  using std::chrono::milliseconds;
  while (!Terminated()) {
    if (stop_.WaitFor(milliseconds(kWorkerStopPollMs))) break;
    polls_.fetch_add(1);
    Ref<IBgTask> task = queue_->Pop();
    if (task) {
      try {
        task->Run();
      } catch (const std::exception& e) {
        try {
          LogTextFmt("TWorkerThread.Execute [%s]", {std::string(e.what())}, kLevelError);
        } catch (...) {
        }
      } catch (...) {
        try {
          LogText("TWorkerThread.Execute [unknown exception]", {}, kLevelError);
        } catch (...) {
        }
      }
      task = nullptr;
      if (stop_.WaitFor(milliseconds(kWorkerStopPollMs))) break;
    } else {
      wake_.WaitFor(milliseconds(idleWaitMs_));
    }
  }
}

}  // namespace velmor
