// The parameter and code/name services of the real plug-in, loaded by the reference host
// through its exports, on the data directory's database.
#include <gtest/gtest.h>

#include "host/db/fault_injection.h"
#include "support/host_fixture.h"
#include "velmor/code_name_dao.h"
#include "velmor/db.h"
#include "velmor/platform_manager.h"
#include "velmor/sys_param.h"
#include "velmor/sys_param_dao.h"

namespace velmor::testing {
namespace {

std::string Scalar(LoadedPlugin& env, const std::string& sql) {
  Ref<IPlatformManager> pm = Query<IPlatformManager>(env.factory().FindNamedService(IPlatformManager::kIid, "Default"));
  Ref<IDBMechanism> db = pm->GetDBMechanism(kMainConnection);
  Ref<IDBDataSet> ds;
  if (!db->OpenQuery(sql, ds)) return "<error: " + db->GetErrorText() + ">";
  return ds->Eof() ? "<none>" : ds->Fields()->FieldByIndex(0)->AsString();
}

TEST(StorePlugin, ParametersThroughTheLoadedPlugin) {
  LoadedPlugin env;
  {
    Ref<ISysParamIntf> params = env.plugin().CreateService<ISysParamIntf>();
    params->SetDjxh("10001");
    EXPECT_TRUE(params->SetValue("k", "v"));
    EXPECT_TRUE(params->SetValueFor("global_param", "g", "global"));
  }
  EXPECT_EQ(Scalar(env, "select value from sb_xtcsb where djxh = '10001' and key = 'k'"), "v");
  {
    // A fresh service object reads what the first one stored.
    Ref<ISysParamIntf> params = env.plugin().CreateService<ISysParamIntf>();
    params->SetDjxh("10001");
    EXPECT_EQ(params->GetValue("k"), "v");
    EXPECT_EQ(params->GetValue("g"), "global");
    Ref<ISysParamDAO> dao = env.plugin().CreateService<ISysParamDAO>();
    EXPECT_EQ(dao->GetAllData("10001"), R"([{"key":"k","value":"v"}])");
  }
}

TEST(StorePlugin, CodeNamesThroughTheLoadedPlugin) {
  LoadedPlugin env;
  Ref<ICodeNameDAO> dao = env.plugin().CreateService<ICodeNameDAO>();
  EXPECT_TRUE(dao->AddCodeName(6, "a'1", "甲'"));
  EXPECT_TRUE(dao->AddCodeName(6, "a'1", "乙"));
  EXPECT_EQ(dao->GetCodeNameList(6), R"([{"code":"a'1","name":"乙"}])");
}

TEST(StorePlugin, AnInjectedFailureInsideThePluginIsLoggedNotRaised) {
  LoadedPlugin env;
  Ref<ICodeNameDAO> dao = env.plugin().CreateService<ICodeNameDAO>();
  host::db::FaultInjection::FailStatement(1);
  EXPECT_FALSE(dao->AddCodeName(6, "01", "x"));
  host::db::FaultInjection::Clear();
  EXPECT_NE(env.LogText().find("[TCodeNameDAO.AddCodeName]异常：数据库更新失败。injected fault: statement failed"),
            std::string::npos)
      << env.LogText();
  EXPECT_EQ(dao->GetCodeNameList(6), "[]");
}

TEST(StorePlugin, TheThreeClassesAreRegisteredUnderTheirGuidStrings) {
  LoadedPlugin env;
  std::string error;
  for (const char* guid : {"{9C7A91BD-5D6A-49F4-9E9C-C70327CBAEFA}", "{3AF7A5C0-9432-4293-8799-173B96B243CA}",
                           "{A67BEE99-9DCF-4558-9B43-CEC04E82872C}"}) {
    EXPECT_TRUE(env.plugin().GetServiceClass(guid, &error)) << guid << ": " << error;
  }
  EXPECT_EQ(env.plugin().GetServiceClass("{9C7A91BD-5D6A-49F4-9E9C-C70327CBAEFA}")->ClassName(), "TSysParamImpl");
}

}  // namespace
}  // namespace velmor::testing
