// Registering service classes in the host's list, looking them up, and the host singletons.
#include <gtest/gtest.h>

#include "framework/fake_host.h"
#include "framework/host_access.h"
#include "framework/service_table.h"
#include "velmor/exceptions.h"
#include "velmor/module.h"
#include "velmor/platform.h"
#include "velmor/platform_manager.h"

namespace velmor {
namespace {

using testing::FakeHost;

class TestClass final : public ClassRef {
 public:
  explicit TestClass(std::string_view n) : name(n) {}
  std::string_view ClassName() const override { return name; }
  Ref<IInterface> CreateInstance() const override { return nullptr; }
  std::string_view name;
};
const TestClass kFirst("TFirst"), kSecond("TSecond");
constexpr Guid kIidA = Guid::Literal("{ED2E729B-499D-42A2-8A62-10901241AA07}");
constexpr Guid kIidB = Guid::Literal("{9c7a91bd-5d6a-49f4-9e9c-c70327cbaefa}");

// Calls the export as a host does and returns (class, error text), freeing the WideString.
std::pair<const ClassRef*, std::string> GetClass(const std::u16string& guid) {
  char16_t* error = platform::velmor_wstr_alloc(u"stale", 5);
  const ClassRef* cls = GetServiceClass_50F165E61988(guid.c_str(), &error);
  std::string text = error ? platform::Utf16ToUtf8(error) : std::string();
  platform::velmor_wstr_free(error);
  return {cls, text};
}

TEST(Registry, RegisterAddsThenReplacesUnderTheUpperCaseGuidString) {
  FakeHost host;
  RegisterServiceClass(kIidB, &kFirst);
  RegisterServiceClass(kIidB, &kSecond);
  auto& entries = host.factory().classList->entries;
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].first, "{9C7A91BD-5D6A-49F4-9E9C-C70327CBAEFA}");
  EXPECT_EQ(entries[0].second, &kSecond);
  EXPECT_EQ(host.factory().listRequests, 1) << "the list is obtained once and cached";
}

TEST(Registry, LookUpThroughTheExport) {
  FakeHost host;
  RegisterServiceClass(kIidA, &kFirst);
  auto [cls, error] = GetClass(u"{ED2E729B-499D-42A2-8A62-10901241AA07}");
  EXPECT_EQ(cls, &kFirst);
  EXPECT_EQ(error, "");
}

TEST(Registry, UnregisteredAndEmptyGuids) {
  FakeHost host;
  auto [cls, error] = GetClass(u"{00000000-1111-2222-3333-444444444444}");
  EXPECT_EQ(cls, nullptr);
  EXPECT_EQ(error, "{00000000-1111-2222-3333-444444444444}服务不存在或尚未注册！");
  auto [cls2, error2] = GetClass(u"");
  EXPECT_EQ(cls2, nullptr);
  EXPECT_EQ(error2, "服务不存在或尚未注册！");
  char16_t* e = nullptr;
  EXPECT_EQ(GetServiceClass_50F165E61988(nullptr, &e), nullptr);
  platform::velmor_wstr_free(e);
  EXPECT_EQ(GetServiceClass_50F165E61988(u"x", nullptr), nullptr) << "a null error slot is tolerated";
}

TEST(Registry, UnregisterRemovesOnlyThatEntry) {
  FakeHost host;
  RegisterServiceClass(kIidA, &kFirst);
  RegisterServiceClass(kIidB, &kSecond);
  UnregisterServiceClass(kIidA);
  UnregisterServiceClass(kIidA);  // absent: nothing happens
  auto& entries = host.factory().classList->entries;
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].second, &kSecond);
  RegisterServiceClass(Guid{}, &kFirst);  // a null identity registers nothing
  EXPECT_EQ(entries.size(), 1u);
}

TEST(Registry, ExceptionInTheHostListBecomesTheErrorText) {
  FakeHost host;
  host.factory().classList->throwOnIndexOfName = true;
  auto [cls, error] = GetClass(u"{ED2E729B-499D-42A2-8A62-10901241AA07}");
  EXPECT_EQ(cls, nullptr);
  EXPECT_EQ(error, "类列表已损坏");
}

TEST(Registry, HostWithoutTheWindowClass) {
  TEST_ResetRegistryCaches();
  EXPECT_FALSE(IsServiceFactoryAvailable());
  EXPECT_EQ(GetServiceFactory(), nullptr);
  EXPECT_EQ(GetDebugger(), nullptr);
  RegisterServiceClass(kIidA, &kFirst);  // silently nothing
  UnregisterServiceClass(kIidA);
  auto [cls, error] = GetClass(u"{ED2E729B-499D-42A2-8A62-10901241AA07}");
  EXPECT_EQ(cls, nullptr);
  EXPECT_NE(error.find("服务类列表不可用"), std::string::npos) << error;
  EXPECT_THROW(GetPlatformManager(), Exception);
}

TEST(Singletons, FoundOnceCreatedAndRegisteredOrFailingWithTheirMessage) {
  FakeHost host;
  // Not found, not creatable: the fixed message, and nothing cached.
  try {
    GetSysDiffer();
    FAIL() << "expected an exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "创建差异化接口失败！");
  }
  try {
    GetPlatformManager();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "创建门户代理平台组件接口失败！");
  }
  try {
    GetUIManager();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "创建通用界面管理接口失败！");
  }
  // Creatable: created once, registered with the factory, then served from the cache.
  auto differ = Make<testing::FakeSysDiffer>();
  host.factory().creatable[ISysDiffer::kIid.ToString()] = Ref<IInterface>(static_cast<ISysDiffer*>(differ.get()));
  int before = host.factory().createCalls;
  Ref<ISysDiffer> a = GetSysDiffer();
  Ref<ISysDiffer> b = GetSysDiffer();
  ASSERT_TRUE(a);
  EXPECT_EQ(a.get(), b.get());
  EXPECT_EQ(a->GetDifferValue("cbxzDjNf_YANGL"), "v:cbxzDjNf_YANGL");
  EXPECT_EQ(host.factory().createCalls, before + 1);
  EXPECT_TRUE(host.factory().FindService(ISysDiffer::kIid)) << "registered so other modules share it";
}

TEST(Singletons, AnExistingNamedInstanceIsFound) {
  FakeHost host;
  auto differ = Make<testing::FakeSysDiffer>();
  // The platform manager is looked up under the instance name "Default"; an object that lacks the
  // interface does not count as found.
  host.factory().RegisterNamedService(IPlatformManager::kIid, "Default", static_cast<ISysDiffer*>(differ.get()));
  EXPECT_THROW(GetPlatformManager(), Exception);
}

TEST(Singletons, WithdrawRemovesOnlyTheInstancesThisModuleRegistered) {
  FakeHost host;
  auto differ = Make<testing::FakeSysDiffer>();
  host.factory().creatable[ISysDiffer::kIid.ToString()] = Ref<IInterface>(static_cast<ISysDiffer*>(differ.get()));
  ASSERT_TRUE(ObtainHostComponent<ISysDiffer>("", "x"));
  ASSERT_TRUE(ObtainHostComponent<ISysDiffer>("Named", "x"));
  ASSERT_TRUE(host.factory().FindService(ISysDiffer::kIid));
  // The host replaced the named slot with its own object: that one stays.
  auto hostOwn = Make<testing::FakeSysDiffer>();
  host.factory().RegisterNamedService(ISysDiffer::kIid, "Named", static_cast<ISysDiffer*>(hostOwn.get()));

  WithdrawHostRegistrations();
  EXPECT_FALSE(host.factory().FindService(ISysDiffer::kIid)) << "ours, withdrawn";
  EXPECT_EQ(host.factory().FindNamedService(ISysDiffer::kIid, "Named").get(),
            static_cast<IInterface*>(static_cast<ISysDiffer*>(hostOwn.get())));
  WithdrawHostRegistrations();  // nothing left to do, and no second removal
  EXPECT_TRUE(host.factory().FindNamedService(ISysDiffer::kIid, "Named"));
}

TEST(ServiceTable, FortySevenRowsInOrderWithDistinctGuids) {
  ASSERT_EQ(kServiceTable.size(), 47u);
  for (size_t i = 0; i < kServiceTable.size(); ++i) {
    EXPECT_EQ(kServiceTable[i].row, static_cast<int>(i + 1));
    for (size_t j = i + 1; j < kServiceTable.size(); ++j) EXPECT_NE(kServiceTable[i].iid, kServiceTable[j].iid);
  }
  EXPECT_EQ(ServiceRowAt(kRowTDictMgr).iid.ToString(), "{ED2E729B-499D-42A2-8A62-10901241AA07}");
  EXPECT_EQ(ServiceRowAt(kRowTCxjmxnhzjqkcxImpl).className, "TCxjmxnhzjqkcxImpl");
  EXPECT_EQ(ServiceRowAt(kRowTRcsbDAO).interfaceName, "IRcsbDAO");
}

}  // namespace
}  // namespace velmor
