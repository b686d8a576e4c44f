// IBgTask: one persistent background task of the task service (IBgTaskService): a name (the INI
// section of the task file that holds it), its parameter text, and the work it does.
//
// A task is saved as the section <name> with "TaskType" = "qvlmt_task_" + its class name and
// "TaskData" = its parameters, so that the service can create it again by that type after a
// restart (only classes registered with the plug-in's task registry can be).
//
// Ownership: reference-counted; the service keeps a reference while the task is pending and
// drops it once the task has run. Thread-safety: Run is called on the worker thread; the other
// operations on whatever thread holds the task, one at a time. Save and Remove raise
// velmor::Exception when the task file cannot be written.
#pragma once

#include <string>

#include "velmor/interface.h"

namespace velmor {

inline constexpr const char* kBgTaskTypePrefix = "qvlmt_task_";

class IBgTask : public IInterface {
 public:
  VELMOR_IID("{5752B812-12F6-45CD-9659-9C3D4C527E1F}")
  // The task's work (the base task does nothing).
  virtual void Run() = 0;
  // Writes the task's section ("TaskType", "TaskData") into the task file.
  virtual void Save() = 0;
  // Erases the task's section from the task file.
  virtual void Remove() = 0;
  virtual std::string GetName() = 0;
  virtual void SetName(const std::string& name) = 0;
  virtual std::string GetTaskData() = 0;
  virtual void SetTaskData(const std::string& data) = 0;
  // "qvlmt_task_" + the class name.
  virtual std::string GetTaskType() = 0;

 protected:
  ~IBgTask() = default;
};

}  // namespace velmor
