// TSysParamDaoImpl and TSysParamImpl on the host database.
#include <gtest/gtest.h>

#include "framework/service_table.h"
#include "store_env.h"
#include "velmor/sys_param.h"
#include "velmor/sys_param_dao.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

class SysParam : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dao_ && params_);
    ASSERT_TRUE(dao_->setData("10001", "shared", "payer"));
    ASSERT_TRUE(dao_->setData("global_param", "shared", "global"));
    ASSERT_TRUE(dao_->setData("global_param", "only_global", "g"));
    ASSERT_TRUE(dao_->setData("10001", "only_payer", "p"));
    ASSERT_TRUE(dao_->setData("10002", "shared", "other payer"));
  }
  // Statements the store runs while f runs.
  template <class F>
  std::vector<std::string> Statements(F&& f) {
    FaultInjection::SetTracing(true);
    f();
    std::vector<std::string> trace = FaultInjection::TakeTrace();
    FaultInjection::SetTracing(false);
    return trace;
  }
  std::string Stored(const std::string& djxh, const std::string& key) {
    Ref<IDBMechanism> db = env_.Db();
    return Scalar(*db, "select ifnull(value, '<null>') from sb_xtcsb where djxh = '" + djxh + "' and key = '" + key + "'");
  }

  StoreEnv env_;
  Ref<ISysParamDAO> dao_ = env_.Create<ISysParamDAO>();
  Ref<ISysParamIntf> params_ = env_.Create<ISysParamIntf>();
};

TEST_F(SysParam, StoreReadsWritesAndListsOnePayer) {
  EXPECT_EQ(dao_->getData("10001", "shared"), "payer");
  EXPECT_EQ(dao_->getData("10001", "missing"), "");
  ASSERT_TRUE(dao_->setData("10001", "shared", "again"));
  EXPECT_EQ(Scalar(*env_.Db(), "select count(*) from sb_xtcsb where djxh = '10001' and key = 'shared'"), "1");
  EXPECT_EQ(dao_->GetAllData("10001"), R"([{"key":"only_payer","value":"p"},{"key":"shared","value":"again"}])");
  EXPECT_EQ(dao_->GetAllData("nobody"), "[]");
}

TEST_F(SysParam, StoreKeepsApostrophesAndSqlIntact) {
  const std::string key = "k' or key like '%";
  const std::string value = "v'); delete from sb_xtcsb; --";
  ASSERT_TRUE(dao_->setData("1'0", key, value));
  EXPECT_EQ(dao_->getData("1'0", key), value);
  EXPECT_EQ(dao_->getData("1'0", "k"), "");
  EXPECT_EQ(Scalar(*env_.Db(), "select count(*) from sb_xtcsb"), "6");
}

TEST_F(SysParam, StoreFailuresAreLoggedAndSwallowed) {
  FaultInjection::FailStatement(1);
  EXPECT_FALSE(dao_->setData("10001", "k", "v"));
  EXPECT_NE(env_.Log().find("[异常]TSysParamDaoImpl.setData：[数据库更新失败。injected fault: statement failed]"),
            std::string::npos)
      << env_.Log();
  FaultInjection::FailStatement(1);
  EXPECT_EQ(dao_->getData("10001", "shared"), "");
  EXPECT_NE(env_.Log().find("[异常]TSysParamDaoImpl.getData：[数据库查询失败。injected fault: statement failed]"),
            std::string::npos);
  FaultInjection::FailStatement(1);
  EXPECT_EQ(dao_->GetAllData("10001"), "[]");
  EXPECT_NE(env_.Log().find("[异常]TSysParamDaoImpl.GetAllData：[数据库查询失败。injected fault: statement failed]"),
            std::string::npos);
}

TEST_F(SysParam, PayerValuesShadowGlobalOnes) {
  params_->SetDjxh("10001");
  EXPECT_EQ(params_->GetValue("shared"), "payer");
  EXPECT_EQ(params_->GetValue("only_global"), "g");
  EXPECT_EQ(params_->GetValue("only_payer"), "p");
  EXPECT_EQ(params_->GetValue("missing"), "");
  EXPECT_EQ(params_->GetValueDef("missing", "def"), "def");
  EXPECT_EQ(params_->GetValueDef("shared", "def"), "payer");
  params_->SetDjxh("10003");
  EXPECT_EQ(params_->GetValue("shared"), "global") << "a payer without its own value reads the global one";
  EXPECT_EQ(params_->GetValue("only_payer"), "");
  EXPECT_EQ(params_->GetValueList(), R"([{"key":"only_global","value":"g","djxh":"global_param"},)"
                                     R"({"key":"shared","value":"global","djxh":"global_param"}])");
  params_->SetDjxh("10001");
  EXPECT_EQ(params_->GetValueList(), R"([{"key":"only_payer","value":"p","djxh":"10001"},)"
                                     R"({"key":"shared","value":"payer","djxh":"10001"},)"
                                     R"({"key":"only_global","value":"g","djxh":"global_param"}])");
}

TEST_F(SysParam, UnchangedValueWritesNothing) {
  params_->SetDjxh("10001");
  EXPECT_TRUE(Statements([&] { EXPECT_TRUE(params_->SetValueFor("10001", "shared", "payer")); }).empty());
  EXPECT_TRUE(Statements([&] { EXPECT_TRUE(params_->SetValue("only_global", "g")); }).empty())
      << "the value read is already the one asked for";
  EXPECT_EQ(Stored("10001", "only_global"), "<none>");
}

TEST_F(SysParam, ChangedOrNewValueIsWrittenOnce) {
  params_->SetDjxh("10001");
  EXPECT_FALSE(Statements([&] { EXPECT_TRUE(params_->SetValue("shared", "changed")); }).empty());
  EXPECT_EQ(Stored("10001", "shared"), "changed");
  EXPECT_EQ(params_->GetValue("shared"), "changed");
  EXPECT_TRUE(Statements([&] { EXPECT_TRUE(params_->SetValue("shared", "changed")); }).empty());
  EXPECT_TRUE(params_->SetValue("ygcbxx_gxsj", "2024-05-01 10:00:00"));
  EXPECT_EQ(Stored("10001", "ygcbxx_gxsj"), "2024-05-01 10:00:00");
  EXPECT_TRUE(params_->SetValue("only_global", "mine"));
  EXPECT_EQ(Stored("10001", "only_global"), "mine");
  EXPECT_EQ(Stored("global_param", "only_global"), "g") << "the global value stays";
  params_->SetDjxh("10001");
  EXPECT_EQ(params_->GetValue("only_global"), "mine") << "reloaded from the store";
}

TEST_F(SysParam, ValuesOfOtherPayersDoNotLeakIntoTheCache) {
  params_->SetDjxh("10001");
  EXPECT_TRUE(params_->SetValueFor("10002", "only_payer", "theirs"));
  EXPECT_EQ(Stored("10002", "only_payer"), "theirs");
  EXPECT_EQ(params_->GetValue("only_payer"), "p");
  EXPECT_TRUE(Statements([&] { params_->SetValueFor("10002", "only_payer", "theirs"); }).size() == 1)
      << "only the read that compares";
  EXPECT_TRUE(params_->SetValueFor("global_param", "shared", "new global"));
  EXPECT_EQ(Stored("global_param", "shared"), "new global");
  EXPECT_EQ(params_->GetValue("shared"), "payer") << "still shadowed";
  EXPECT_TRUE(params_->SetValueFor("global_param", "only_global", "g2"));
  EXPECT_EQ(params_->GetValue("only_global"), "g2");
}

TEST_F(SysParam, FailedWriteKeepsTheCacheAsStored) {
  params_->SetDjxh("10001");
  FaultInjection::FailStatement(2);  // the keyed read passes, the write fails
  EXPECT_FALSE(params_->SetValue("shared", "lost"));
  EXPECT_EQ(params_->GetValue("shared"), "payer");
  EXPECT_EQ(Stored("10001", "shared"), "payer");
  EXPECT_NE(env_.Log().find("[TSysParamImpl.SetValueFor]异常：保存系统参数[shared]失败"), std::string::npos) << env_.Log();
  EXPECT_TRUE(params_->SetValue("shared", "lost")) << "a retry writes it";
  EXPECT_EQ(Stored("10001", "shared"), "lost");
}

TEST_F(SysParam, MissingParameterStoreIsLoggedWithItsMessage) {
  UnregisterServiceClass(ISysParamDAO::kIid);
  params_->SetDjxh("10001");
  EXPECT_EQ(params_->GetValue("shared"), "");
  EXPECT_NE(env_.Log().find("[TSysParamImpl.Load]异常：创建接口[ISysParamDAO]失败！"), std::string::npos) << env_.Log();
  EXPECT_FALSE(params_->SetValue("k", "v"));
  EXPECT_NE(env_.Log().find("[TSysParamImpl.SetValueFor]异常：创建接口[ISysParamDAO]失败！"), std::string::npos);
}

TEST_F(SysParam, DataVOIsOneInMemoryBagAndTheExtraTextsAreEmpty) {
  Ref<IDataVO> vo = params_->GetDataVO();
  ASSERT_TRUE(vo);
  vo->SetStrValue("ygcbxx_update_djxh", "10001");
  EXPECT_EQ(params_->GetDataVO(), vo);
  EXPECT_EQ(params_->GetDataVO()->GetStrValue("ygcbxx_update_djxh", ""), "10001");
  EXPECT_EQ(Stored("10001", "ygcbxx_update_djxh"), "<none>") << "never stored";
  EXPECT_EQ(params_->GetExtraText1(), "");
  EXPECT_EQ(params_->GetExtraText2(), "");
}

TEST_F(SysParam, RegisteredAsRowsTwoAndFour) {
  auto classes = env_.factory().ServiceClasses();
  EXPECT_EQ(classes->FindClass("{9C7A91BD-5D6A-49F4-9E9C-C70327CBAEFA}")->ClassName(), "TSysParamImpl");
  EXPECT_EQ(classes->FindClass("{A67BEE99-9DCF-4558-9B43-CEC04E82872C}")->ClassName(), "TSysParamDaoImpl");
  EXPECT_EQ(ServiceRowAt(kRowTSysParamImpl).iid, ISysParamIntf::kIid);
  EXPECT_EQ(ServiceRowAt(kRowTSysParamDaoImpl).iid, ISysParamDAO::kIid);
}

}  // namespace
}  // namespace velmor::testing
