// IBgTaskService: the persistent task queue served by one worker thread (class
// TBgTaskServiceImpl). Tasks survive a restart in the task file "Task/TaskFile.ini" under the
// data directory of the module key "M8" (LoadTasks reads them back).
//
// The worker is created suspended; Start resumes it (once), Stop ends it. With no task pending
// the worker looks at the queue at least every 30 seconds, and at once after Wake. A task that
// raises is logged and the worker goes on. The worker never holds the queue's lock while a task
// runs.
//
// Ownership: the service keeps a reference to each pending task and drops it after the task has
// run; destroying the service stops and joins its worker and drops the tasks still pending.
// Thread-safety: every operation may be called from any thread. Operations are in slot order.
#pragma once

#include <cstdint>

#include "velmor/bg_task.h"
#include "velmor/interface.h"
#include "velmor/ref.h"

namespace velmor {

class IBgTaskService : public IInterface {
 public:
  VELMOR_IID("{FFB22FC1-8464-4B62-AF85-EF25B5127674}")
  // 1: when not running, resumes the worker (a new one after a Stop) and marks running.
  virtual void Start() = 0;
  // 2: when running, tells the worker to end and marks stopped; nothing otherwise.
  virtual void Stop() = 0;
  // 3: appends the task unless it (or a task of the same name) is already pending.
  virtual void AddTask(IBgTask* task) = 0;
  // 4: removes and returns the first pending task; null when there is none.
  virtual Ref<IBgTask> PopTask() = 0;
  // 5: reads the task file: every section whose "TaskType" names a registered task class
  // becomes a pending task (unless one of that name is pending); the other sections are erased
  // from the file. False when the file cannot be read or rewritten (the reason is logged).
  virtual bool LoadTasks() = 0;
  // 6: the number of pending tasks.
  virtual int32_t TaskCount() = 0;
  // 7: wakes the worker so that it looks at the queue now.
  virtual void Wake() = 0;

 protected:
  ~IBgTaskService() = default;
};

}  // namespace velmor
