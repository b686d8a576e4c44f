// The cached host components under their one lock: shared by every thread once obtained, dropped
// by the module's shut-down, and other services created afresh through the factory.
#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "codec/expect_message.h"
#include "framework/fake_host.h"
#include "framework/host_access.h"
#include "framework/module.h"
#include "velmor/exceptions.h"

namespace velmor {
namespace {

using testing::FakeHost;
using testing::FakeSysDiffer;

class HostAccess : public ::testing::Test {
 protected:
  void SetUp() override { TEST_ResetProcLists(); }
  void TearDown() override { TEST_ResetProcLists(); }

  // Lets the fake factory create a ISysDiffer; it is then registered there as the host does.
  Ref<FakeSysDiffer> MakeDifferCreatable() {
    auto differ = Make<FakeSysDiffer>();
    host.factory().creatable[ISysDiffer::kIid.ToString()] = Ref<IInterface>(static_cast<ISysDiffer*>(differ.get()));
    return differ;
  }

  FakeHost host;
};

TEST_F(HostAccess, WorkerThreadsShareTheComponentTheMainThreadObtained) {
  MakeDifferCreatable();
  Ref<ISysDiffer> first = GetSysDiffer();
  const int creates = host.factory().createCalls;
  std::atomic<int> other{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 500; ++i) {
        if (GetSysDiffer().get() != first.get()) ++other;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(other.load(), 0);
  EXPECT_EQ(host.factory().createCalls, creates);
}

TEST_F(HostAccess, TheShutDownProcedureIsAddedOnceAndEmptiesTheCache) {
  MakeDifferCreatable();
  ASSERT_EQ(TEST_FinalProcCount(), 0u);
  GetSysDiffer();
  GetSysDiffer();
  EXPECT_EQ(TEST_FinalProcCount(), 1u);

  RunServiceFinalProcs();
  // Take the registered instance out of the factory: only an emptied cache asks to create again.
  host.factory().RegisterService(ISysDiffer::kIid, nullptr);
  const int creates = host.factory().createCalls;
  ASSERT_TRUE(GetSysDiffer());
  EXPECT_EQ(host.factory().createCalls, creates + 1);
}

TEST_F(HostAccess, AFailedLookupCachesNothingAndNamesTheComponent) {
  EXPECT_THROW_MSG(GetSysDiffer(), Exception, "创建差异化接口失败！");
  EXPECT_THROW_MSG(GetNetComm(), Exception, "创建平台组件接口失败！");
  EXPECT_THROW_MSG(GetCommonFunctions(), Exception, "创建公共函数集组件接口失败！");
  EXPECT_THROW_MSG(GetPortalAgent(), Exception, "创建门户代理组件接口失败！");
  EXPECT_THROW_MSG(GetSyspzxx(), Exception, "创建系统配置组件接口失败！");
  // A failure being rendered does not turn into another.
  EXPECT_EQ(RenderMessage("10042", "原文"), "原文");
  MakeDifferCreatable();
  EXPECT_TRUE(GetSysDiffer()) << "the earlier failure was not cached";
}

TEST_F(HostAccess, OtherServicesAreCreatedAfreshOrRefusedWithTheCallersMessage) {
  MakeDifferCreatable();
  const int creates = host.factory().createCalls;
  Ref<ISysDiffer> a = CreatePluginService<ISysDiffer>("创建平台组件接口[ISysDiffer]失败！");
  CreatePluginService<ISysDiffer>("创建平台组件接口[ISysDiffer]失败！");
  ASSERT_TRUE(a);
  EXPECT_EQ(host.factory().createCalls, creates + 2) << "not cached";
  // An object without the interface is no such service.
  host.factory().creatable[IPlatformManager::kIid.ToString()] = Ref<IInterface>(static_cast<ISysDiffer*>(a.get()));
  EXPECT_THROW_MSG(CreatePluginService<IPlatformManager>("创建平台组件接口[IPlatformManager]失败！"), Exception,
                   "创建平台组件接口[IPlatformManager]失败！");
  EXPECT_THROW_MSG(CreatePluginService<IUIManager>("创建平台组件接口[IUIManager]失败！"), Exception,
                   "创建平台组件接口[IUIManager]失败！");
}

}  // namespace
}  // namespace velmor
