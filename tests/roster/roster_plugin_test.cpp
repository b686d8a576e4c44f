// The roster store and the task service of the real plug-in, loaded by the reference host
// through its exports, on the data directory's database and task file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <nlohmann/json.hpp>

#include "support/host_fixture.h"
#include "velmor/bg_task_service.h"
#include "velmor/db.h"
#include "velmor/employee_dao.h"
#include "velmor/object.h"
#include "velmor/platform_manager.h"

namespace velmor::testing {
namespace {

using namespace std::chrono_literals;

Ref<IPlatformManager> Platform(LoadedPlugin& env) {
  return Query<IPlatformManager>(env.factory().FindNamedService(IPlatformManager::kIid, "Default"));
}

TEST(RosterPlugin, TheRosterStoreThroughTheLoadedPlugin) {
  LoadedPlugin env;
  std::string error;
  ASSERT_TRUE(env.plugin().GetServiceClass("{A98666E1-C49F-43AB-88B2-CFEA946F1CE2}", &error)) << error;
  EXPECT_EQ(env.plugin().GetServiceClass("{A98666E1-C49F-43AB-88B2-CFEA946F1CE2}")->ClassName(), "TEmployeeDaoImpl");
  Ref<IEmployeeDao> dao = env.plugin().CreateService<IEmployeeDao>();
  ASSERT_TRUE(dao);
  ASSERT_TRUE(dao->ExecSQL("insert into sb_ryjbxxb (djxh, rydjxh, xm, zjlx, zjhm, ly, fzid) values "
                           "('D1', 'R1', 'O''Neil', '201', '1', '0', -1), ('D1', 'R2', 'b', '201', '2', '1', -1)"));
  int32_t zs = 0;
  RyListFilter filter;
  filter.xm = "O'Neil";
  nlohmann::json rows = nlohmann::json::parse(dao->queryRyList("D1", filter, -1, 20, zs));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["rydjxh"], "R1");
  EXPECT_EQ(zs, 1);
  EXPECT_EQ(dao->getRyCount("D1", RyOrigin::kLocal, ""), 1);
  EXPECT_FALSE(dao->ExecSQL("this is not sql"));
  EXPECT_EQ(dao->GetErrorMessage(), "数据库更新失败。");
  EXPECT_NE(env.LogText().find("[TEmployeeDaoImpl.ExecSQL]异常：数据库更新失败。"), std::string::npos);
}

// A task the host itself makes: the service runs any IBgTask.
class HostTask final : public Object<IBgTask> {
 public:
  std::mutex mutex;
  std::condition_variable cv;
  bool ran = false;
  void Run() override {
    std::lock_guard<std::mutex> lock(mutex);
    ran = true;
    cv.notify_all();
  }
  void Save() override {}
  void Remove() override {}
  std::string GetName() override { return "host-task"; }
  void SetName(const std::string&) override {}
  std::string GetTaskData() override { return {}; }
  void SetTaskData(const std::string&) override {}
  std::string GetTaskType() override { return "qvlmt_task_HostTask"; }
  bool WaitRan(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex);
    return cv.wait_for(lock, timeout, [&] { return ran; });
  }
};

TEST(RosterPlugin, TheTaskServiceThroughTheLoadedPlugin) {
  LoadedPlugin env;
  const std::string dir = Platform(env)->GetModuleDataDir("M8") + "Task";
  ::mkdir(dir.c_str(), 0755);
  ASSERT_TRUE(WriteFile(dir + "/TaskFile.ini", "[stale]\r\nTaskType=qvlmt_task_TUnknown\r\nTaskData=x\r\n"));
  {
    Ref<IBgTaskService> service = env.plugin().CreateService<IBgTaskService>();
    ASSERT_TRUE(service);
    EXPECT_TRUE(service->LoadTasks());
    EXPECT_EQ(service->TaskCount(), 0);
    EXPECT_EQ(ReadFile(dir + "/TaskFile.ini"), "") << "the section of an unknown task type is erased";

    service->Start();
    service->Start();
    std::this_thread::sleep_for(100ms);  // the worker settles into its 30-second wait
    Ref<HostTask> task = Make<HostTask>();
    service->AddTask(task.get());
    service->Wake();
    EXPECT_TRUE(task->WaitRan(10s));
    EXPECT_EQ(service->TaskCount(), 0);
    EXPECT_FALSE(service->PopTask());
    service->Stop();
    service->Stop();
  }
  // Unloading the plug-in with its threads ended leaves nothing running.
  env.Unload();
}

}  // namespace
}  // namespace velmor::testing
