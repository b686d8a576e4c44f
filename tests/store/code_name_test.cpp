// TCodeNameDAO on the host database, created through the host's factory as other services do.
#include <gtest/gtest.h>

#include "framework/service_table.h"
#include "store_env.h"
#include "velmor/code_name_dao.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

class CodeName : public ::testing::Test {
 protected:
  StoreEnv env_;
  Ref<ICodeNameDAO> dao_ = env_.Create<ICodeNameDAO>();
};

TEST_F(CodeName, RegisteredAsRowThreeOfTheServiceTable) {
  ASSERT_TRUE(dao_);
  EXPECT_EQ(ServiceRowAt(kRowTCodeNameDAO).iid, ICodeNameDAO::kIid);
  const ClassRef* cls = env_.factory().ServiceClasses()->FindClass("{3AF7A5C0-9432-4293-8799-173B96B243CA}");
  ASSERT_TRUE(cls);
  EXPECT_EQ(cls->ClassName(), "TCodeNameDAO");
}

TEST_F(CodeName, AddsAndListsPairsOfOneCategory) {
  EXPECT_EQ(dao_->GetCodeNameList(6), "[]");
  EXPECT_TRUE(dao_->AddCodeName(6, "01", "城关镇"));
  EXPECT_TRUE(dao_->AddCodeName(6, "02", "新区"));
  EXPECT_TRUE(dao_->AddCodeName(7, "01", "社区"));
  EXPECT_EQ(dao_->GetCodeNameList(6), R"([{"code":"01","name":"城关镇"},{"code":"02","name":"新区"}])");
  EXPECT_EQ(dao_->GetCodeNameList(7), R"([{"code":"01","name":"社区"}])");
}

TEST_F(CodeName, AddingAnExistingPairChangesOnlyTheName) {
  ASSERT_TRUE(dao_->AddCodeName(6, "01", "old"));
  ASSERT_TRUE(dao_->AddCodeName(7, "01", "untouched"));
  ASSERT_TRUE(dao_->AddCodeName(6, "01", "new"));
  Ref<IDBMechanism> db = env_.Db();
  EXPECT_EQ(Column(*db, "select lb || '|' || dm || '|' || mc from sb_dmmcb order by lb"),
            (std::vector<std::string>{"6|01|new", "7|01|untouched"}));
}

TEST_F(CodeName, ApostrophesAndSqlInCodesAndNamesAreStoredIntact) {
  const std::string dm = "1' or '1'='1";
  const std::string mc = "O'Brien'); delete from sb_dmmcb; --";
  ASSERT_TRUE(dao_->AddCodeName(6, "keep", "kept"));
  ASSERT_TRUE(dao_->AddCodeName(6, dm, mc));
  ASSERT_TRUE(dao_->AddCodeName(6, dm, mc + "!")) << "the update finds the pair by its code";
  EXPECT_EQ(dao_->GetCodeNameList(6),
            R"([{"code":"1' or '1'='1","name":"O'Brien'); delete from sb_dmmcb; --!"},{"code":"keep","name":"kept"}])")
      << "pairs come in code order (the key's index)";
}

TEST_F(CodeName, FailuresAreLoggedAndAnswerEmptyOrFalse) {
  FaultInjection::FailStatement(1);
  EXPECT_EQ(dao_->GetCodeNameList(6), "[]");
  EXPECT_NE(env_.Log().find("TCodeNameDAO.GetCodeNameList(数据库查询失败，injected fault: statement failed"),
            std::string::npos)
      << env_.Log();
  FaultInjection::FailStatement(2, "disk I/O error");  // the insert after the update
  EXPECT_FALSE(dao_->AddCodeName(6, "01", "x"));
  EXPECT_NE(env_.Log().find("[TCodeNameDAO.AddCodeName]异常：数据库更新失败。disk I/O error"), std::string::npos);
  EXPECT_EQ(dao_->GetCodeNameList(6), "[]") << "nothing half-written";
}

}  // namespace
}  // namespace velmor::testing
