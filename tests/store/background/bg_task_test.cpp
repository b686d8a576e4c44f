// The task service: the task file, loading tasks back, the worker's waits, starting and
// stopping, failures inside tasks, and the end of the worker thread.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <mutex>
#include <thread>

#include "store/background/bg_task.h"
#include "store/background/bg_task_service.h"
#include "store/background/ini_file.h"
#include "store/background/sync_event.h"
#include "store/background/thread_reaper.h"
#include "store_env.h"
#include "support/temp_dir.h"
#include "velmor/platform.h"

namespace velmor::testing {
namespace {

using namespace std::chrono_literals;

SyncEvent g_ran;
std::atomic<int> g_runs{0};

class TProbeTask : public TBgTask {
 public:
  VELMOR_PUBLISHED(TProbeTask, TBgTask)
  void Run() override {
    ++g_runs;
    if (TaskData == "raise") throw Exception("boom");
    g_ran.Set();
  }
};

// Holds the last reference of the service that runs it.
class TOwnerTask : public TBgTask {
 public:
  VELMOR_PUBLISHED(TOwnerTask, TBgTask)
  Ref<IBgTaskService> service;
  void Run() override { g_ran.Set(); }
};

class BgTasks : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBgTaskClass<TProbeTask>();
    g_runs = 0;
    g_ran.Reset();
  }
  void TearDown() override { UnregisterBgTaskClass("TProbeTask"); }

  Ref<TBgTaskServiceImpl> Service() { return New<TBgTaskServiceImpl>(); }
  Ref<TProbeTask> Probe(const std::string& name, const std::string& data = {}) {
    Ref<TProbeTask> t = New<TProbeTask>();
    t->Name = name;
    t->TaskData = data;
    return t;
  }

  StoreEnv env_;
};

TEST_F(BgTasks, TheTaskFileLivesUnderTheModuleDirectory) {
  Ref<TBgTaskServiceImpl> service = Service();
  const std::string dir = GetPlatformManager()->GetModuleDataDir("M8") + "Task";
  EXPECT_EQ(service->TaskFilePath(), dir + "/TaskFile.ini");
  struct stat st {};
  EXPECT_EQ(::stat(dir.c_str(), &st), 0) << "the directory is created";
  EXPECT_EQ(Probe("x")->TaskFilePath(), service->TaskFilePath());
}

TEST_F(BgTasks, WithoutAModuleDirectoryThereIsNoTaskFileAndSavingFails) {
  // A plain file where the module folder belongs makes the host answer an empty data folder.
  std::string moduleDir = GetPlatformManager()->GetModuleDataDir("M8");
  moduleDir.pop_back();
  ASSERT_EQ(std::system(("rm -rf '" + moduleDir + "' && touch '" + moduleDir + "'").c_str()), 0);
  Ref<TProbeTask> task = Probe("x");
  EXPECT_EQ(task->TaskFilePath(), "") << "never a path relative to the working directory";
  EXPECT_THROW(task->Save(), Exception);
  EXPECT_FALSE(Service()->LoadTasks());
  struct stat st {};
  EXPECT_NE(::stat("Task", &st), 0) << "no Task folder in the working directory";
}

TEST_F(BgTasks, SavedTasksLoadBackAndUnknownTypesAreErased) {
  Ref<TBgTaskServiceImpl> service = Service();
  Probe("job1", "参数=1")->Save();
  Probe("job2", "two")->Save();
  {
    IniFile ini(service->TaskFilePath());
    std::string error;
    ASSERT_TRUE(ini.Load(&error));
    ini.WriteString("ghost", "TaskType", "qvlmt_task_TNoSuchTask");
    ini.WriteString("ghost2", "TaskData", "no type at all");
    ASSERT_TRUE(ini.Save(&error));
  }
  EXPECT_TRUE(service->LoadTasks());
  EXPECT_EQ(service->TaskCount(), 2);
  EXPECT_EQ(ReadFile(service->TaskFilePath()),
            "[job1]\r\nTaskType=qvlmt_task_TProbeTask\r\nTaskData=参数=1\r\n"
            "[job2]\r\nTaskType=qvlmt_task_TProbeTask\r\nTaskData=two\r\n");
  EXPECT_TRUE(service->LoadTasks());
  EXPECT_EQ(service->TaskCount(), 2) << "a task already pending is not added again";

  Ref<IBgTask> first = service->PopTask();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->GetName(), "job1");
  EXPECT_EQ(first->GetTaskData(), "参数=1");
  EXPECT_EQ(first->GetTaskType(), "qvlmt_task_TProbeTask");
  first->Remove();
  EXPECT_EQ(ReadFile(service->TaskFilePath()), "[job2]\r\nTaskType=qvlmt_task_TProbeTask\r\nTaskData=two\r\n");
  EXPECT_EQ(service->TaskCount(), 1);
  EXPECT_TRUE(service->PopTask());
  EXPECT_FALSE(service->PopTask());

  EXPECT_FALSE(TBgTask::CreateByType("qvlmt_task_"));
  EXPECT_FALSE(TBgTask::CreateByType("TNoSuchTask"));
  EXPECT_TRUE(TBgTask::CreateByType("TProbeTask"));
}

TEST_F(BgTasks, AnUnreadableTaskFileIsLoggedNotRaised) {
  Ref<TBgTaskServiceImpl> service = Service();
  TempDir dir;
  service->SetTaskFilePath(dir.path());  // a directory, not a file
  EXPECT_FALSE(service->LoadTasks());
  EXPECT_NE(env_.Log().find("[TBgTaskServiceImpl.LoadTasks]异常：无法读取文件" + dir.path()), std::string::npos)
      << env_.Log();
  Ref<TProbeTask> t = Probe("");
  t->SetTaskFilePath(dir.File("TaskFile.ini"));
  EXPECT_THROW(t->Save(), Exception) << "a task needs a name to be saved";
}

TEST_F(BgTasks, WakeWakesTheIdleWorkerAtOnce) {
  Ref<TBgTaskServiceImpl> service = Service();
  service->Start();
  // Let the worker find the queue empty and settle into its 30-second wait.
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (service->TEST_WorkerPolls() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
  std::this_thread::sleep_for(100ms);
  const auto start = std::chrono::steady_clock::now();
  service->AddTask(Probe("now").get());
  service->Wake();
  ASSERT_TRUE(g_ran.WaitFor(10s));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << "well before the 30-second wait ends";
  EXPECT_EQ(service->TaskCount(), 0);
}

TEST_F(BgTasks, AnIdleWorkerLooksAtTheQueueAgainAfterItsWait) {
  Ref<TBgTaskServiceImpl> service = Service();
  service->TEST_SetIdleWaitMs(100);
  service->Start();
  std::this_thread::sleep_for(150ms);
  service->AddTask(Probe("later").get());  // no Wake
  EXPECT_TRUE(g_ran.WaitFor(10s));
}

TEST_F(BgTasks, StartTwiceResumesOnceAndStopIsIdempotent) {
  Ref<TBgTaskServiceImpl> service = Service();
  service->Stop();  // not running: nothing happens
  EXPECT_FALSE(service->Running());
  service->Start();
  service->Start();
  EXPECT_EQ(service->TEST_ResumeCount(), 1);
  EXPECT_TRUE(service->Running());
  service->Stop();
  service->Stop();
  EXPECT_FALSE(service->Running());
  // Started again after a stop: a new worker serves the queue.
  service->Start();
  EXPECT_EQ(service->TEST_ResumeCount(), 2);
  service->AddTask(Probe("again").get());
  service->Wake();
  EXPECT_TRUE(g_ran.WaitFor(10s));
}

TEST_F(BgTasks, ATaskThatRaisesIsLoggedAndTheWorkerGoesOn) {
  Ref<TBgTaskServiceImpl> service = Service();
  service->AddTask(Probe("bad", "raise").get());
  service->AddTask(Probe("good").get());
  Ref<TProbeTask> good2 = Probe("good");
  service->AddTask(good2.get());  // same name: not added
  EXPECT_EQ(service->TaskCount(), 2);
  service->Start();
  ASSERT_TRUE(g_ran.WaitFor(10s));
  EXPECT_EQ(g_runs.load(), 2);
  EXPECT_NE(env_.Log().find("TWorkerThread.Execute [boom]"), std::string::npos) << env_.Log();
}

TEST_F(BgTasks, DestroyingTheServiceEndsItsWorkerPromptly) {
  std::vector<std::string> lines;
  std::mutex linesMutex;
  platform::SetDebugOutputSink([&](std::string_view text) {
    std::lock_guard<std::mutex> lock(linesMutex);
    if (text.find("TWorkerThread") != std::string_view::npos) lines.emplace_back(text);
  });
  const auto start = std::chrono::steady_clock::now();
  {
    Ref<TBgTaskServiceImpl> service = Service();
    service->Start();
    service->AddTask(Probe("pending-1").get());
    std::this_thread::sleep_for(200ms);  // the worker ran it and now waits for work
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << "the stop ends the 30-second wait";
  platform::SetDebugOutputSink(nullptr);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].starts_with("+ [TWorkerThread:")) << lines[0];
  EXPECT_TRUE(lines[0].ends_with("]线程[Suspended:True]被 创建")) << lines[0];
  const std::string id = lines[0].substr(17, lines[0].find(']') - 17);
  EXPECT_EQ(lines[1], "- [TWorkerThread:" + id + "]线程被 销毁");
}

TEST_F(BgTasks, AServiceReleasedByItsOwnTaskIsReapedSafely) {
  RegisterBgTaskClass<TOwnerTask>();
  {
    Ref<TBgTaskServiceImpl> service = Service();
    Ref<TOwnerTask> task = New<TOwnerTask>();
    task->Name = "owner";
    task->service = service;
    service->AddTask(task.get());
    service->Start();
    task = nullptr;
  }
  // The task now holds the only reference; the worker drops the task, and with it the service.
  ASSERT_TRUE(g_ran.WaitFor(10s));
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (TEST_ReapedThreadCount() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
  EXPECT_EQ(TEST_ReapedThreadCount(), 1u);
  JoinReapedThreads();
  EXPECT_EQ(TEST_ReapedThreadCount(), 0u);
  UnregisterBgTaskClass("TOwnerTask");
}

}  // namespace
}  // namespace velmor::testing
