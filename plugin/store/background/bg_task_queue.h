// BgTaskQueue: the pending tasks of a task service, under its lock. Shared by the service and
// its worker thread (held by std::shared_ptr on both sides, so neither outlives the other's use
// of it). The lock is held only to add, take or count; never while a task runs.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "velmor/bg_task.h"
#include "velmor/ref.h"

namespace velmor {

class BgTaskQueue {
 public:
  // Appends the task unless the same object, or a task with the same (non-empty) name, is
  // pending. False when it was not added.
  bool Add(IBgTask* task);
  // The first task, taken out of the queue; null when there is none.
  Ref<IBgTask> Pop();
  int32_t Count();
  // Drops every pending task.
  void Clear();
  // The lock (LoadTasks holds it while it reads the file, as AddTask and PopTask do).
  std::mutex& Mutex() { return mutex_; }
  // Add for a caller that holds Mutex().
  bool AddLocked(IBgTask* task);

 private:
  std::mutex mutex_;
  std::deque<Ref<IBgTask>> tasks_;
};

}  // namespace velmor
