#include "store/background/bg_task_queue.h"

namespace velmor {

bool BgTaskQueue::AddLocked(IBgTask* task) {
  if (!task) return false;
  const std::string name = task->GetName();
  for (const Ref<IBgTask>& t : tasks_) {
    if (t.get() == task || (!name.empty() && t->GetName() == name)) return false;
  }
  tasks_.emplace_back(task);
  return true;
}

bool BgTaskQueue::Add(IBgTask* task) {
  std::lock_guard<std::mutex> lock(mutex_);
  return AddLocked(task);
}

Ref<IBgTask> BgTaskQueue::Pop() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (tasks_.empty()) return nullptr;
  Ref<IBgTask> first = std::move(tasks_.front());
  tasks_.pop_front();
  return first;
}

int32_t BgTaskQueue::Count() {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int32_t>(tasks_.size());
}

void BgTaskQueue::Clear() {
  std::deque<Ref<IBgTask>> dropped;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    dropped.swap(tasks_);
  }
  // Released outside the lock: a task's destructor may add or pop tasks.
}

}  // namespace velmor
