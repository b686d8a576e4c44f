#include <gtest/gtest.h>

#include <filesystem>

#include "host/host.h"
#include "host/host_error.h"
#include "support/host_fixture.h"
#include "velmor/db_mechanism.h"
#include "velmor/platform.h"
#include "velmor/platform_manager.h"
#include "velmor/sys_differ.h"

namespace velmor::testing {
namespace {

// What the plug-in does to find the factory: the window class record's getter.
Ref<IServiceFactory> FactoryThroughWindowClass() {
  platform::WindowClassInfo info;
  if (!platform::GetWindowClassInfo(kServiceLibraryWindowClass, &info)) return nullptr;
  const auto* record = static_cast<const ServiceFactoryRecord*>(info.windowProc);
  IServiceFactory* raw = nullptr;
  record->getter(&raw);
  return Ref<IServiceFactory>::Adopt(raw);
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

TEST(Host, PublishesItsFactoryThroughTheWindowClassWhileStarted) {
  EXPECT_EQ(FactoryThroughWindowClass(), nullptr);
  {
    StartedHost env;
    Ref<IServiceFactory> f = FactoryThroughWindowClass();
    EXPECT_EQ(f.get(), static_cast<IServiceFactory*>(&env.factory()));
    EXPECT_TRUE(std::filesystem::is_regular_file(env.dir().File("velmor.log")));
    EXPECT_NE(env.LogText().find("[host] host started, data directory " + env.dataDir()), std::string::npos);
  }
  EXPECT_EQ(FactoryThroughWindowClass(), nullptr) << "stopping unregisters the class";
}

TEST(Host, RegistersTheComponentsThePluginAsksFor) {
  StartedHost env("[differ]\ncbxzDjNf_YANGL = 2019\n[M8]\nsbztcxExistsJfzt = 1\n[platform]\nname = Hunan\n");
  auto& f = env.factory();
  EXPECT_TRUE(f.GetDebugger());
  Ref<ISysDiffer> differ = Query<ISysDiffer>(f.FindService(ISysDiffer::kIid));
  ASSERT_TRUE(differ);
  EXPECT_EQ(differ->GetDifferValue("cbxzDjNf_YANGL"), "2019");
  EXPECT_EQ(differ->GetDifferValue("unknownKey"), "");
  Ref<IPlatformManager> pm = Query<IPlatformManager>(f.FindNamedService(IPlatformManager::kIid, "Default"));
  ASSERT_TRUE(pm);
  EXPECT_EQ(pm->GetModuleSetting("M8", "sbztcxExistsJfzt"), "1");
  EXPECT_EQ(pm->GetModuleSetting("M8", "other"), "");
  EXPECT_EQ(pm->GetPlatformName(), "Hunan");
  Ref<IUIManager> ui = Query<IUIManager>(f.FindNamedService(IUIManager::kIid, "Default"));
  ASSERT_TRUE(ui);
  EXPECT_EQ(ui->GetName(), "Default");
  // Nobody installed to answer: every question is "no", and each is recorded.
  EXPECT_FALSE(ui->AskYesNo("继续？"));
  env.host().UI().SetAnswerer([](const std::string& q) { return q == "等待？"; });
  EXPECT_TRUE(ui->AskYesNo("等待？"));
  EXPECT_FALSE(ui->AskYesNo("继续？"));
  EXPECT_EQ(env.host().UI().Asked(), (std::vector<std::string>{"继续？", "等待？", "继续？"}));
  EXPECT_EQ(f.FindService(IPlatformManager::kIid), nullptr) << "the platform manager is named";
}

TEST(Host, PlatformManagerDataDirectoriesAndDatabase) {
  StartedHost env;
  Ref<IPlatformManager> pm = Query<IPlatformManager>(env.factory().FindNamedService(IPlatformManager::kIid, "Default"));
  ASSERT_TRUE(pm);
  EXPECT_EQ(pm->GetPlatformName(), "Velmor");
  std::string m8 = pm->GetModuleDataDir("M8");
  EXPECT_EQ(m8, env.dataDir() + "/M8/");
  EXPECT_TRUE(std::filesystem::is_directory(m8));
  EXPECT_EQ(pm->GetModuleDataDir("M8"), m8) << "an existing directory is fine";
  for (const char* bad : {"", ".", "..", "../x", "a/b", "a\\b", "C:"}) EXPECT_EQ(pm->GetModuleDataDir(bad), "") << bad;
  EXPECT_FALSE(std::filesystem::exists(env.dir().File("x")));
  Ref<IDBMechanism> db = pm->GetDBMechanism(kMainConnection);
  ASSERT_TRUE(db);
  EXPECT_TRUE(db->ExecSQL("insert into sb_xtcsb(djxh, key, value) values ('1', 'k', 'v')")) << db->GetErrorText();
  EXPECT_NE(pm->GetDBMechanism(kMainConnection), db) << "a new connection per call";
  EXPECT_TRUE(std::filesystem::exists(env.dataDir() + "/velmor.db"));
  EXPECT_EQ(pm->GetDBMechanism("OtherCon"), nullptr);
  std::string log = env.LogText();
  EXPECT_NE(log.find("[platform] GetDBMechanism(OtherCon): unknown connection name, the host offers only VELMORMainCon"),
            std::string::npos);
  EXPECT_NE(log.find("[platform] GetModuleDataDir: \"..\" is not a module key"), std::string::npos);
}

TEST(Host, OnlyOneHostPerProcess) {
  StartedHost env;
  TempDir other;
  host::Host second({other.path(), false});
  EXPECT_EQ(HostErrorOf([&] { second.Start(); }), "another host is already started in this process");
  EXPECT_FALSE(second.IsStarted());
  EXPECT_EQ(FactoryThroughWindowClass().get(), static_cast<IServiceFactory*>(&env.factory()))
      << "the failed start left the first host's class alone";
}

TEST(Host, BadConfigurationStopsTheStartAndRegistersNothing) {
  TempDir dir;
  ASSERT_TRUE(WriteFile(dir.File("velmor.conf"), "[server]\nurl\n"));
  host::Host h({dir.path(), false});
  EXPECT_EQ(HostErrorOf([&] { h.Start(); }),
            dir.path() + "/velmor.conf:2: expected \"key = value\", \"[section]\" or a comment, got \"url\"");
  EXPECT_FALSE(h.IsStarted());
  EXPECT_EQ(FactoryThroughWindowClass(), nullptr);

  ASSERT_TRUE(WriteFile(dir.File("velmor.conf"), "[log]\nlevel = loud\n"));
  EXPECT_EQ(HostErrorOf([&] { h.Start(); }),
            dir.path() + "/velmor.conf: [log] level must be an integer or \"off\", not \"loud\"");
}

TEST(Host, DataDirectoryIsCreatedOrRefused) {
  TempDir dir;
  {
    host::Host h({dir.File("new/nested"), false});
    h.Start();
    EXPECT_EQ(h.DataDir(), dir.File("new/nested"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("new/nested")));
  }
  ASSERT_TRUE(WriteFile(dir.File("plain-file"), "x"));
  host::Host h({dir.File("plain-file"), false});
  EXPECT_EQ(HostErrorOf([&] { h.Start(); }).rfind("cannot create data directory " + dir.File("plain-file"), 0), 0u);
  host::Host none({"", false});
  EXPECT_EQ(HostErrorOf([&] { none.Start(); }), "no data directory given");
}

TEST(Host, LogLevelFromTheConfiguration) {
  {
    StartedHost env("[log]\nlevel = off\n");
    EXPECT_FALSE(env.factory().GetDebugger()->IsActive());
  }
  StartedHost env("[log]\nlevel = 1\n");
  auto d = env.factory().GetDebugger();
  EXPECT_TRUE(d->IsActive());
  d->WriteLog("kept", "t", 1);
  d->WriteLog("dropped", "t", 2);
  EXPECT_NE(env.LogText().find("[t] kept"), std::string::npos);
  EXPECT_EQ(env.LogText().find("dropped"), std::string::npos);
}

}  // namespace
}  // namespace velmor::testing
