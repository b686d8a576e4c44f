// The host's group store on a fresh database: paths resolved and created, names reused per
// parent, quotes kept as data, failures leaving nothing half made.
#include "host/components/group_store.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "host/db/database.h"
#include "host/db/fault_injection.h"
#include "support/temp_dir.h"

namespace velmor::testing {
namespace {

using host::components::GroupStore;

class Groups : public ::testing::Test {
 protected:
  Groups() : path_(dir_.File("velmor.db")) {
    store_ = Make<GroupStore>(path_, [this](const std::string& line) { log_ += line + "\n"; });
  }
  nlohmann::json List(const std::string& djxh = "D1") {
    std::string message;
    nlohmann::json rows = nlohmann::json::parse(store_->GetGroupList(djxh, message));
    EXPECT_EQ(message, "");
    return rows;
  }
  TempDir dir_;
  std::string path_, log_;
  Ref<GroupStore> store_;
};

TEST_F(Groups, PathsCreatedOnceAndReusedPerParent) {
  int32_t fzid = 0;
  std::string fullpath, message;
  ASSERT_TRUE(store_->ResolveGroupPath("D1", {"一组", " 甲班 "}, fzid, fullpath, message)) << message;
  nlohmann::json rows = List();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1]["fullname"], "一组/甲班");
  EXPECT_EQ(rows[1]["fzmc"], "甲班") << "names are trimmed";
  EXPECT_EQ(fullpath, "," + rows[0]["id"].get<std::string>() + "," + rows[1]["id"].get<std::string>() + ",");
  EXPECT_EQ(std::to_string(fzid), rows[1]["id"].get<std::string>());

  int32_t again = 0;
  std::string againPath;
  ASSERT_TRUE(store_->ResolveGroupPath("D1", {"一组", "甲班"}, again, againPath, message));
  EXPECT_EQ(again, fzid);
  EXPECT_EQ(againPath, fullpath);
  // The same name under another parent, and for another payer, is another group.
  ASSERT_TRUE(store_->ResolveGroupPath("D1", {"甲班"}, again, againPath, message));
  EXPECT_NE(again, fzid);
  ASSERT_TRUE(store_->ResolveGroupPath("D2", {"一组"}, again, againPath, message));
  EXPECT_EQ(List().size(), 3u);
  EXPECT_EQ(List("D2").size(), 1u);
  ASSERT_TRUE(store_->ResolveGroupPath("D1", {"O'Neil's"}, again, againPath, message)) << message;
  EXPECT_EQ(List().back()["fzmc"], "O'Neil's");
}

TEST_F(Groups, RefusalsAndFailuresLeaveNothing) {
  int32_t fzid = 0;
  std::string fullpath, message;
  EXPECT_FALSE(store_->ResolveGroupPath("D1", {}, fzid, fullpath, message));
  EXPECT_EQ(message, "分组名称不能为空。");
  EXPECT_FALSE(store_->ResolveGroupPath("D1", {"一组", " "}, fzid, fullpath, message));
  EXPECT_EQ(fzid, -1);
  EXPECT_TRUE(List().empty());

  // A statement of the second level fails: the first level is rolled back with it.
  host::db::FaultInjection::FailStatement(6);
  EXPECT_FALSE(store_->ResolveGroupPath("D1", {"一组", "甲班"}, fzid, fullpath, message));
  host::db::FaultInjection::Clear();
  EXPECT_NE(message.find("injected fault"), std::string::npos) << message;
  EXPECT_EQ(fzid, -1);
  EXPECT_EQ(fullpath, "");
  EXPECT_TRUE(List().empty());
  EXPECT_NE(log_.find("[GroupStore.ResolveGroupPath]异常："), std::string::npos);
}

}  // namespace
}  // namespace velmor::testing
