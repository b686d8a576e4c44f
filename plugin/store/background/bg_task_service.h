// TBgTaskServiceImpl: the task service (IBgTaskService), registered as row 13 of the service
// table: the pending tasks under a lock, and one worker thread (worker_thread.h), created
// suspended with the service and resumed by Start.
//
// Start after Stop starts a new worker (the stopped one has ended). Destroying the service stops
// and joins the worker (when the last reference goes on the worker's own thread, the worker is
// handed to the module's reaper instead) and drops the tasks still pending.
// Thread-safety: every operation may be called from any thread.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "business/business_object.h"
#include "store/background/bg_task_queue.h"
#include "store/background/worker_thread.h"
#include "velmor/bg_task_service.h"

namespace velmor {

class TBgTaskServiceImpl : public Implements<TBusinessObject, IBgTaskService> {
 public:
  VELMOR_PUBLISHED(TBgTaskServiceImpl, TBusinessObject)

  TBgTaskServiceImpl();
  ~TBgTaskServiceImpl() override;

  void Start() override;
  void Stop() override;
  void AddTask(IBgTask* task) override;
  Ref<IBgTask> PopTask() override;
  bool LoadTasks() override;
  int32_t TaskCount() override;
  void Wake() override;

  const std::string& TaskFilePath() const { return taskFile_; }
  void SetTaskFilePath(std::string path) { taskFile_ = std::move(path); }
  bool Running();
  // Test hooks: how many times a worker was resumed; the idle wait of workers created from now on.
  int TEST_ResumeCount();
  void TEST_SetIdleWaitMs(int ms);
  int64_t TEST_WorkerPolls();

 private:
  void RetireWorker();  // joins (or hands over) the current worker; holds stateMutex_

  std::string taskFile_;
  std::shared_ptr<BgTaskQueue> queue_ = std::make_shared<BgTaskQueue>();
  std::mutex stateMutex_;  // running_, worker_, resumes_
  bool running_ = false;
  bool workerStopped_ = false;  // the current worker was told to end
  std::unique_ptr<TWorkerThread> worker_;  // the list of workers: exactly one
  int resumes_ = 0;
  int idleWaitMs_ = kWorkerIdleWaitMs;
};

}  // namespace velmor
