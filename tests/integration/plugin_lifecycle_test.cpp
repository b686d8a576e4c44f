// The reference host drives the real plug-in through its five exports only.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "velmor/business_object.h"
#include "velmor/dict_mgr.h"
#include "velmor/sys_param.h"
#include "velmor/module.h"
#include "velmor/platform.h"

namespace velmor::testing {
namespace {

constexpr const char* kUnregistered = "{00000000-0000-0000-0000-0000000000A1}";

bool PluginIsMapped() {
  void* h = ::dlopen(PluginPath(), RTLD_NOW | RTLD_NOLOAD);
  if (h) ::dlclose(h);
  return h != nullptr;
}

template <class F>
std::string HostErrorOf(F&& f) {
  try {
    f();
  } catch (const host::HostError& e) {
    return e.what();
  }
  return "no HostError";
}

TEST(PluginLifecycle, UnregisteredAndEmptyGuidsGiveZeroAndTheMessage) {
  LoadedPlugin env;
  ASSERT_TRUE(env.plugin().IsStarted());
  std::string error;
  EXPECT_EQ(env.plugin().GetServiceClass(kUnregistered, &error), nullptr);
  EXPECT_EQ(error, std::string(kUnregistered) + "服务不存在或尚未注册！");
  EXPECT_EQ(env.plugin().GetServiceClass("{ed2e729b-0000-0000-0000-000000000000}", &error), nullptr);
  EXPECT_EQ(error, "{ed2e729b-0000-0000-0000-000000000000}服务不存在或尚未注册！") << "passed on as given";
  EXPECT_EQ(env.plugin().GetServiceClass("", &error), nullptr);
  EXPECT_EQ(error, "服务不存在或尚未注册！");
  EXPECT_EQ(HostErrorOf([&] { env.plugin().CreateService<IBusinessObject>(kUnregistered); }),
            std::string(kUnregistered) + "服务不存在或尚未注册！");
}

TEST(PluginLifecycle, ShutDownLeavesNoClassAndUnloadsTheLibrary) {
  platform::SetApplicationHandle(5);
  {
    LoadedPlugin env;
    EXPECT_TRUE(PluginIsMapped());
    env.Unload();
    EXPECT_FALSE(env.plugin().IsLoaded());
    EXPECT_FALSE(PluginIsMapped()) << "dlclose really unloaded the plug-in";
    EXPECT_EQ(env.factory().ServiceClasses()->Count(), 0);
  }
  // SetAppHandle on start, the saved handle put back when the library unloads.
  {
    StartedHost env;
    host::PluginHost plugin;
    plugin.Load(PluginPath());
    plugin.Start(77);
    EXPECT_EQ(platform::GetApplicationHandle(), 77u);
    plugin.Stop();
    EXPECT_EQ(platform::GetApplicationHandle(), 5u);
  }
  platform::SetApplicationHandle(0);
}

// A service that needs another one creates it through the host's factory and registers it
// there; unloading must take those objects back, or the factory would release them after
// their code is gone (host stop after plug-in unload).
TEST(PluginLifecycle, UnloadWithdrawsThePluginObjectsItRegisteredWithTheHost) {
  LoadedPlugin env;
  {
    Ref<IDictMgr> dict = env.plugin().CreateService<IDictMgr>();
    ASSERT_TRUE(dict);
    EXPECT_TRUE(dict->GetJfbzGz());
  }
  ASSERT_TRUE(env.factory().FindService(ISysParamIntf::kIid)) << "the parameter service was registered";
  env.Unload();
  EXPECT_FALSE(PluginIsMapped());
  EXPECT_FALSE(env.factory().FindService(ISysParamIntf::kIid));
  env.factory().Clear();  // releases nothing of the unloaded module
}

TEST(PluginLifecycle, HostWithoutTheWindowClassGetsZeroAndAnErrorText) {
  host::PluginHost plugin;
  plugin.Load(PluginPath());
  const auto& x = plugin.GetExports();
  x.setAppHandle(0);
  x.setServiceFactory(nullptr);
  x.servicesInit(u"SERVICEDLL=/opt/velmor/libVelmorService.so;DATADIR=/nowhere");
  // errorText arrives holding an old text: the plug-in frees it and stores its own.
  std::u16string old = u"old text";
  char16_t* error = platform::velmor_wstr_alloc(old.data(), static_cast<uint32_t>(old.size()));
  const std::u16string guid = platform::Utf8ToUtf16(kUnregistered);
  EXPECT_EQ(x.getServiceClass(guid.c_str(), &error), nullptr);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(platform::Utf16ToUtf8(error),
            std::string("服务类列表不可用：宿主未提供服务工厂，无法查找") + kUnregistered + "服务！");
  EXPECT_EQ(x.getServiceClass(u"", &error), nullptr);
  EXPECT_FALSE(platform::Utf16ToUtf8(error).empty());
  platform::velmor_wstr_free(error);
  EXPECT_EQ(x.getServiceClass(guid.c_str(), nullptr), nullptr) << "a null errorText is tolerated";
  x.servicesFinal();
  plugin.Stop();
}

TEST(PluginLifecycle, InitTwiceAndReloadKeepTheHostListConsistent) {
  LoadedPlugin env;
  env.plugin().GetExports().servicesInit(u"SERVICEDLL=x;");
  env.Unload();
  EXPECT_EQ(env.factory().ServiceClasses()->Count(), 0);
  env.plugin().Load(PluginPath());
  env.plugin().Start();
  std::string error;
  EXPECT_EQ(env.plugin().GetServiceClass(kUnregistered, &error), nullptr);
  EXPECT_EQ(error, std::string(kUnregistered) + "服务不存在或尚未注册！");
}

TEST(PluginHost, LoadFailuresAreOneLine) {
  host::PluginHost plugin;
  EXPECT_EQ(HostErrorOf([&] { plugin.Load("/nonexistent/libVelmorService.so"); }),
            "plug-in not found: /nonexistent/libVelmorService.so");
  EXPECT_EQ(HostErrorOf([&] { plugin.Load(""); }), "plug-in not found: ");
  EXPECT_EQ(HostErrorOf([&] { plugin.Load(VELMOR_PLATFORM_LIB_PATH); }),
            std::string("plug-in ") + VELMOR_PLATFORM_LIB_PATH + " does not export SetAppHandle_50F165E61988");
  EXPECT_FALSE(plugin.IsLoaded());
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.File("fake.so"), "not a library"));
  std::string message = HostErrorOf([&] { plugin.Load(dir.File("fake.so")); });
  EXPECT_EQ(message.rfind("cannot load plug-in " + dir.File("fake.so") + ": ", 0), 0u) << message;
  EXPECT_EQ(message.find('\n'), std::string::npos);
  EXPECT_EQ(HostErrorOf([&] { plugin.GetServiceClass(kUnregistered); }), "no plug-in is loaded");
  EXPECT_EQ(HostErrorOf([&] { plugin.Start(); }), "no plug-in is loaded");
  plugin.Load(PluginPath());
  EXPECT_EQ(HostErrorOf([&] { plugin.Load(PluginPath()); }),
            std::string("a plug-in is already loaded (") + plugin.Path() + ")");
  plugin.Stop();
  plugin.Stop();  // idempotent
}

}  // namespace
}  // namespace velmor::testing
