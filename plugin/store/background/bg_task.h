// TBgTask: the base of the plug-in's persistent background tasks (IBgTask), and the registry of
// task classes by name, so that the task service can create a task again from the "TaskType"
// of its section in the task file.
//
//   class TMyTask : public TBgTask { public: VELMOR_PUBLISHED(TMyTask, TBgTask) void Run() override; };
//   RegisterBgTaskClass<TMyTask>();            // "qvlmt_task_TMyTask" can now be loaded
//
// The module's own task classes register with their service units (TAsynQueryYctxData). The task file is the "M8" data directory of
// the platform manager + "Task/TaskFile.ini" (the directory is created when missing); its reads
// and writes are serialised module-wide (TaskFileMutex), and each write replaces the file
// atomically. A task object is used by one thread at a time; the registry is locked.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "business/business_object.h"
#include "velmor/bg_task.h"

namespace velmor {

class TBgTask : public Implements<TBusinessObject, IBgTask> {
 public:
  VELMOR_PUBLISHED(TBgTask, TBusinessObject, Prop<&TBgTask::TaskData>("TaskData", types::WideString),
                   Prop<&TBgTask::Name>("Name", types::WideString))

  // The task file path is taken from the platform manager now (empty when it is not available;
  // Save and Remove then raise).
  TBgTask();

  void Run() override {}
  void Save() override;
  void Remove() override;
  std::string GetName() override { return Name; }
  void SetName(const std::string& name) override { Name = name; }
  std::string GetTaskData() override { return TaskData; }
  void SetTaskData(const std::string& data) override { TaskData = data; }
  std::string GetTaskType() override { return kBgTaskTypePrefix + std::string(ClassName()); }

  const std::string& TaskFilePath() const { return taskFile_; }
  void SetTaskFilePath(std::string path) { taskFile_ = std::move(path); }

  // A new task of the registered class named `type` ("qvlmt_task_TMyTask" or "TMyTask"); null
  // when no class answers to it.
  static Ref<IBgTask> CreateByType(std::string_view type);

  std::string TaskData;
  std::string Name;

 private:
  std::string taskFile_;
};

// The task file of this module: GetModuleDataDir("M8") + "Task/TaskFile.ini", creating the Task
// directory. Raises when the host gives no module folder (never a path relative to the
// working directory). Raises the platform manager's message when it is not available, or
// Exception("创建任务目录失败：<dir>").
std::string DefaultTaskFilePath();
// Serialises every read and write of task files in the module.
std::mutex& TaskFileMutex();

using BgTaskFactory = std::function<Ref<IBgTask>()>;
// Registers (or replaces) the class `className`; its tasks are saved as "qvlmt_task_" + name.
void RegisterBgTaskClass(const std::string& className, BgTaskFactory factory);
void UnregisterBgTaskClass(const std::string& className);
template <class T>
void RegisterBgTaskClass() {
  RegisterBgTaskClass(std::string(T::kClassName), [] {
    Ref<T> task = New<T>();
    return Ref<IBgTask>(static_cast<IBgTask*>(task.get()));
  });
}

}  // namespace velmor
