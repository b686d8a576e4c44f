#include "store/background/bg_task.h"

#include <sys/stat.h>

#include <cerrno>
#include <map>

#include "framework/host_access.h"
#include "store/background/ini_file.h"

namespace velmor {
namespace {

struct TaskRegistry {
  std::mutex mutex;
  std::map<std::string, BgTaskFactory, std::less<>> classes;  // by class name
};

TaskRegistry& Registry() {
  static TaskRegistry registry;
  return registry;
}

void LoadOrThrow(IniFile& ini) {
  std::string error;
  if (!ini.Load(&error)) throw Exception(error);
}

void SaveOrThrow(const IniFile& ini) {
  std::string error;
  if (!ini.Save(&error)) throw Exception(error);
}

}  // namespace

std::mutex& TaskFileMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string DefaultTaskFilePath() {
  std::string base = GetPlatformManager()->GetModuleDataDir(kModuleKey);
  // An empty data folder would make the path relative and scatter Task folders wherever the process runs.
  if (base.empty()) throw Exception("平台未提供模块数据目录，无法确定任务文件位置");
  std::string dir = base + "Task";
  if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) throw Exception("创建任务目录失败：" + dir);
  return dir + "/TaskFile.ini";
}

TBgTask::TBgTask() {
  try {
    taskFile_ = DefaultTaskFilePath();
  } catch (...) {
    // Without a platform manager the task can still run; saving it raises.
  }
}

void TBgTask::Save() {
  if (taskFile_.empty()) throw Exception("任务文件路径未知");
  if (Name.empty()) throw Exception("任务名称为空");
  std::lock_guard<std::mutex> lock(TaskFileMutex());
  IniFile ini(taskFile_);
  LoadOrThrow(ini);
  ini.WriteString(Name, "TaskType", GetTaskType());
  ini.WriteString(Name, "TaskData", TaskData);
  SaveOrThrow(ini);
}

void TBgTask::Remove() {
  if (taskFile_.empty()) throw Exception("任务文件路径未知");
  std::lock_guard<std::mutex> lock(TaskFileMutex());
  IniFile ini(taskFile_);
  LoadOrThrow(ini);
  if (!ini.SectionExists(Name)) return;
  ini.EraseSection(Name);
  SaveOrThrow(ini);
}

Ref<IBgTask> TBgTask::CreateByType(std::string_view type) {
  std::string_view name = type;
  if (name.starts_with(kBgTaskTypePrefix)) name.remove_prefix(std::string_view(kBgTaskTypePrefix).size());
  BgTaskFactory factory;
  {
    TaskRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.classes.find(name);
    if (it == r.classes.end() || name.empty()) return nullptr;
    factory = it->second;
  }
  return factory();
}

void RegisterBgTaskClass(const std::string& className, BgTaskFactory factory) {
  TaskRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.classes[className] = std::move(factory);
}

void UnregisterBgTaskClass(const std::string& className) {
  TaskRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.classes.erase(className);
}

}  // namespace velmor
