#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "host/service_factory.h"
#include "test_classes.h"
#include "velmor/exceptions.h"

namespace velmor::testing {
namespace {

constexpr const char* kKey = "{ED2E729B-499D-42A2-8A62-10901241AA07}";

class ServiceFactoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    factory = Make<host::ServiceFactory>();
    log = Make<RecordingDebugger>();
    factory->RegisterService(IDebugger::kIid, log.get());
  }
  Ref<host::ServiceFactory> factory;
  Ref<RecordingDebugger> log;
};

TEST_F(ServiceFactoryTest, RegistersAndFindsUnnamedAndNamedInstances) {
  auto a = Make<Probe>();
  auto b = Make<Probe>();
  EXPECT_EQ(factory->FindService(IProbe::kIid), nullptr);
  factory->RegisterService(IProbe::kIid, a.get());
  factory->RegisterNamedService(IProbe::kIid, "Default", b.get());
  EXPECT_EQ(Query<IProbe>(factory->FindService(IProbe::kIid)).get(), a.get());
  EXPECT_EQ(Query<IProbe>(factory->FindNamedService(IProbe::kIid, "Default")).get(), b.get());
  EXPECT_EQ(Query<IProbe>(factory->FindNamedService(IProbe::kIid, "default")).get(), b.get())
      << "instance names compare without case";
  EXPECT_EQ(factory->FindNamedService(IProbe::kIid, "Other"), nullptr);
  EXPECT_EQ(factory->FindService(IOther::kIid), nullptr);
  EXPECT_EQ(Query<IProbe>(factory->FindNamedService(IProbe::kIid, "")).get(), a.get())
      << "the empty name is the unnamed slot";
}

TEST_F(ServiceFactoryTest, ReplacingOrRemovingReleasesTheOldInstance) {
  int before = g_liveProbes;
  {
    auto a = Make<Probe>();
    factory->RegisterService(IProbe::kIid, a.get());
  }
  EXPECT_EQ(g_liveProbes, before + 1) << "the factory keeps its reference";
  factory->RegisterService(IProbe::kIid, Make<Probe>().get());
  EXPECT_EQ(g_liveProbes, before + 1) << "the replaced instance died";
  factory->RegisterService(IProbe::kIid, nullptr);
  EXPECT_EQ(g_liveProbes, before);
  EXPECT_EQ(factory->FindService(IProbe::kIid), nullptr);
  factory->RegisterNamedService(IProbe::kIid, "x", Make<Probe>().get());
  EXPECT_EQ(factory->RegisteredCount(), 2u);
  factory->Clear();
  EXPECT_EQ(g_liveProbes, before);
  EXPECT_EQ(factory->RegisteredCount(), 0u);
  EXPECT_EQ(factory->GetDebugger(), nullptr) << "Clear drops the debugger too";
}

TEST_F(ServiceFactoryTest, RefusesAnInstanceThatLacksTheInterface) {
  auto other = Make<Other>();
  try {
    factory->RegisterService(IProbe::kIid, other.get());
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "RegisterService: the instance does not implement {11111111-2222-3333-4444-555555555555}");
  }
  EXPECT_EQ(factory->FindService(IProbe::kIid), nullptr);
}

TEST_F(ServiceFactoryTest, DebuggerAndListProvider) {
  EXPECT_EQ(factory->GetDebugger().get(), static_cast<IDebugger*>(log.get()));
  Ref<IListProvider> provider = factory->GetListProvider();
  ASSERT_TRUE(provider);
  Ref<INamedClassList> list = provider->GetNamedList(kServiceClassListId);
  EXPECT_EQ(list.get(), static_cast<INamedClassList*>(factory->ServiceClasses().get()));
  EXPECT_EQ(provider->GetNamedList(0), nullptr);
  EXPECT_EQ(provider->GetNamedList(390), nullptr);
}

TEST_F(ServiceFactoryTest, CreatesFromTheClassListWithoutRegistering) {
  factory->ServiceClasses()->AddClass(kKey, &kProbeClass);
  Ref<IInterface> out;
  ASSERT_TRUE(factory->CreateService(kKey, IProbe::kIid, out));
  ASSERT_TRUE(out);
  Ref<IProbe> probe = Query<IProbe>(out);
  ASSERT_TRUE(probe);
  EXPECT_EQ(probe->Answer(), 42);
  EXPECT_EQ(static_cast<void*>(out.get()), static_cast<void*>(probe.get())) << "out holds the iid interface";
  EXPECT_EQ(factory->FindService(IProbe::kIid), nullptr) << "creating does not register";

  Ref<IInterface> named;
  ASSERT_TRUE(factory->CreateNamedService(kKey, IProbe::kIid, "Default", named));
  EXPECT_NE(named.get(), out.get()) << "every call makes a new instance";
  EXPECT_EQ(factory->FindNamedService(IProbe::kIid, "Default"), nullptr);
}

TEST_F(ServiceFactoryTest, ClassKeysCompareWithoutCaseButNeedTheirBraces) {
  factory->ServiceClasses()->AddClass(kKey, &kProbeClass);
  Ref<IInterface> out;
  EXPECT_TRUE(factory->CreateService("{ed2e729b-499d-42a2-8a62-10901241aa07}", IProbe::kIid, out));
  EXPECT_TRUE(out);
  EXPECT_FALSE(factory->CreateService("ED2E729B-499D-42A2-8A62-10901241AA07", IProbe::kIid, out));
  EXPECT_FALSE(out);
}

TEST_F(ServiceFactoryTest, UnknownKeyMissingInterfaceAndFailingConstructorAnswerFalse) {
  factory->ServiceClasses()->AddClass(kKey, &kOtherClass);
  factory->ServiceClasses()->AddClass("{3AF7A5C0-9432-4293-8799-173B96B243CA}", &kThrowingClass);
  Ref<IInterface> out = Make<Probe>();
  EXPECT_FALSE(factory->CreateService("{00000000-0000-0000-0000-000000000001}", IProbe::kIid, out));
  EXPECT_FALSE(out) << "out is emptied on failure";
  out = Make<Probe>();
  EXPECT_FALSE(factory->CreateNamedService(kKey, IProbe::kIid, "Default", out));
  EXPECT_FALSE(out);
  EXPECT_FALSE(factory->CreateService("{3AF7A5C0-9432-4293-8799-173B96B243CA}", IProbe::kIid, out));
  EXPECT_FALSE(out);
  ASSERT_EQ(log->records.size(), 3u);
  EXPECT_EQ(log->records[0],
            "1|factory|CreateService({00000000-0000-0000-0000-000000000001}): no class is registered under this key");
  EXPECT_EQ(log->records[1],
            "1|factory|CreateService(" + std::string(kKey) +
                ", Default): class TOther does not implement {11111111-2222-3333-4444-555555555555}");
  EXPECT_EQ(log->records[2],
            "0|factory|CreateService({3AF7A5C0-9432-4293-8799-173B96B243CA}): constructor of TThrowing failed: "
            "no memory for TThrowing");
}

TEST_F(ServiceFactoryTest, WorkerThreadsFindWhileTheMainThreadRegisters) {
  auto a = Make<Probe>();
  factory->RegisterNamedService(IProbe::kIid, "Default", a.get());
  std::atomic<bool> stop{false};
  std::atomic<int> misses{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < 3; ++t) {
    workers.emplace_back([&] {
      while (!stop) {
        Ref<IProbe> p = Query<IProbe>(factory->FindNamedService(IProbe::kIid, "Default"));
        if (!p || p->Answer() != 42) ++misses;
      }
    });
  }
  for (int i = 0; i < 2000; ++i) factory->RegisterNamedService(IProbe::kIid, "Default", Make<Probe>().get());
  stop = true;
  for (auto& w : workers) w.join();
  EXPECT_EQ(misses, 0) << "a replaced instance is never seen half-released";
}

}  // namespace
}  // namespace velmor::testing
