#include "store/background/bg_task_service.h"

#include <algorithm>
#include <vector>

#include "framework/log.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/background/async_call.h"
#include "store/background/bg_task.h"
#include "store/background/host_thread.h"
#include "store/background/ini_file.h"
#include "store/store_guard.h"
#include "store/background/thread_reaper.h"

namespace velmor {

using Lock = std::lock_guard<std::mutex>;

TBgTaskServiceImpl::TBgTaskServiceImpl() {
  try {
    taskFile_ = DefaultTaskFilePath();
  } catch (const std::exception& e) {
    LogStoreFailure(LogForm::kTrailing, "TBgTaskServiceImpl.Create", e.what());
  }
  worker_ = std::make_unique<TWorkerThread>(queue_, idleWaitMs_);
}

TBgTaskServiceImpl::~TBgTaskServiceImpl() {
  {
    Lock lock(stateMutex_);
    RetireWorker();
  }
  queue_->Clear();
}

void TBgTaskServiceImpl::RetireWorker() {
  if (!worker_) return;
  worker_->Stop();
  if (worker_->IsCurrentThread())
    ReapLater(std::move(worker_));  // a task dropped the service's last reference
  else
    worker_.reset();  // joins
}

void TBgTaskServiceImpl::Start() {
  Lock lock(stateMutex_);
  if (running_) return;
  if (!worker_ || workerStopped_ || worker_->Finished()) {
    RetireWorker();
    worker_ = std::make_unique<TWorkerThread>(queue_, idleWaitMs_);
    workerStopped_ = false;
  }
  if (worker_->Start()) ++resumes_;
  running_ = true;
}

void TBgTaskServiceImpl::Stop() {
  Lock lock(stateMutex_);
  if (!running_) return;
  worker_->Stop();
  workerStopped_ = true;
  running_ = false;
}

bool TBgTaskServiceImpl::Running() {
  Lock lock(stateMutex_);
  return running_;
}

void TBgTaskServiceImpl::AddTask(IBgTask* task) { queue_->Add(task); }

Ref<IBgTask> TBgTaskServiceImpl::PopTask() { return queue_->Pop(); }

int32_t TBgTaskServiceImpl::TaskCount() { return queue_->Count(); }

void TBgTaskServiceImpl::Wake() {
  Lock lock(stateMutex_);
  if (worker_) worker_->Wake();
}

bool TBgTaskServiceImpl::LoadTasks() {
  return GuardStore("TBgTaskServiceImpl.LoadTasks", LogForm::kTrailing, false, [&] {
    if (taskFile_.empty()) throw Exception("任务文件路径未知");
    std::lock_guard<std::mutex> queueLock(queue_->Mutex());
    std::lock_guard<std::mutex> fileLock(TaskFileMutex());
    IniFile ini(taskFile_);
    std::string error;
    if (!ini.Load(&error)) throw Exception(error);
    std::vector<std::string> unknown;
    for (const std::string& section : ini.Sections()) {
      Ref<IBgTask> task = TBgTask::CreateByType(ini.ReadString(section, "TaskType"));
      if (!task) {
        unknown.push_back(section);
        continue;
      }
      if (auto* base = dynamic_cast<TBgTask*>(task.get())) base->SetTaskFilePath(taskFile_);
      task->SetName(section);
      task->SetTaskData(ini.ReadString(section, "TaskData"));
      queue_->AddLocked(task.get());
    }
    if (unknown.empty()) return true;
    for (auto it = unknown.rbegin(); it != unknown.rend(); ++it) ini.EraseSection(*it);
    if (!ini.Save(&error)) throw Exception(error);
    return true;
  });
}

int TBgTaskServiceImpl::TEST_ResumeCount() {
  Lock lock(stateMutex_);
  return resumes_;
}

void TBgTaskServiceImpl::TEST_SetIdleWaitMs(int ms) {
  Lock lock(stateMutex_);
  idleWaitMs_ = ms;
  if (worker_ && !worker_->Finished() && resumes_ == 0) {
    RetireWorker();
    worker_ = std::make_unique<TWorkerThread>(queue_, idleWaitMs_);
  }
}

int64_t TBgTaskServiceImpl::TEST_WorkerPolls() {
  Lock lock(stateMutex_);
  return worker_ ? worker_->Polls() : 0;
}

namespace {

void StartBgTaskUnit() {
  NoteHostThread();
  RegisterServiceClass(ServiceRowAt(kRowTBgTaskServiceImpl).iid, &ClassOf<TBgTaskServiceImpl>::Instance());
}

// The module's background threads end here: pool calls still queued are cancelled, running ones
// are waited for, and threads handed to the reaper are joined.
void FinishBgTaskUnit() {
  UnregisterServiceClass(ServiceRowAt(kRowTBgTaskServiceImpl).iid);
  ShutdownAsyncCalls();
  JoinReapedThreads();
  ForgetHostThread();
}

}  // namespace
}  // namespace velmor

VELMOR_SERVICE_UNIT(13, velmor::StartBgTaskUnit, velmor::FinishBgTaskUnit)
