// The toolkit on the host's real database: paging, count and page agreeing, update-else-insert in
// both forms, mark-and-sweep, hostile values, failures.
#include <gtest/gtest.h>

#include "store/db_access.h"
#include "store/mark_sweep.h"
#include "store/paging.h"
#include "store/sql_filters.h"
#include "store_env.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

class StoreDb : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = env_.Db();
    ASSERT_TRUE(db_);
    ASSERT_TRUE(db_->BeginTrans());
    for (int i = 1; i <= 45; ++i) {
      char dm[8];
      std::snprintf(dm, sizeof dm, "%03d", i);
      ASSERT_TRUE(db_->ExecSQL(FormatSql(" insert into sb_dmmcb(lb, dm, mc) values (%d, %s, %s) ",
                                         {1, Q(dm), Q(i % 2 ? "odd" : "even")})));
    }
    ASSERT_TRUE(db_->ExecSQL("insert into sb_dmmcb(lb, dm, mc) values (2, '001', 'other')"));
    ASSERT_TRUE(db_->CommitTrans());
  }
  std::vector<std::string> Page(const PagedSelect& q, int page, int size) {
    return Column(*db_, q.Page("dm", page, size, " order by dm"));
  }

  StoreEnv env_;
  Ref<IDBMechanism> db_;
};

TEST_F(StoreDb, PagesAndCountAgree) {
  PagedSelect all("select %s from sb_dmmcb where lb = %d %s", {1, SqlFilters().Build()});
  EXPECT_EQ(Scalar(*db_, all.Count()), "45");
  EXPECT_EQ(Page(all, kAllPages, 20).size(), 45u);
  std::vector<std::string> first = Page(all, 1, 20);
  ASSERT_EQ(first.size(), 20u);
  EXPECT_EQ(first.front(), "001");
  EXPECT_EQ(first.back(), "020");
  std::vector<std::string> third = Page(all, 3, 20);
  EXPECT_EQ(third, (std::vector<std::string>{"041", "042", "043", "044", "045"})) << "offset 40";
  EXPECT_TRUE(Page(all, 4, 20).empty());

  SqlFilters odd;
  odd.AddValue(" and mc = '%s'", "odd");
  PagedSelect filtered("select %s from sb_dmmcb where lb = %d %s", {1, odd.Build()});
  size_t rows = 0;
  for (int page = 1; page <= 3; ++page) rows += Page(filtered, page, 10).size();
  EXPECT_EQ(std::to_string(rows), Scalar(*db_, filtered.Count()));
  EXPECT_EQ(rows, 23u);
}

TEST_F(StoreDb, HostileValuesAreStoredIntactAndHarmNothing) {
  const std::string nasty = "x'); delete from sb_dmmcb; --";
  ExecOrThrow(*db_, FormatSql(" insert into sb_dmmcb(lb, dm, mc) values (%d, '%s', %s) ", {3, V(nasty), Q(nasty)}));
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_dmmcb"), "47");
  SqlFilters f;
  f.AddLike(" and mc like ", "'); delete");
  EXPECT_EQ(Column(*db_, FormatSql("select dm from sb_dmmcb where lb = %d %s", {3, f.Build()})),
            std::vector<std::string>{nasty});
  EXPECT_EQ(Column(*db_, FormatSql("select mc from sb_dmmcb where dm = '%s'", {V(nasty)})), std::vector<std::string>{nasty});
}

TEST_F(StoreDb, TheUsersPercentAndUnderscoreMatchOnlyThemselves) {
  for (const char* mc : {"100%", "1000", "a_b", "axb", "c\\d"})
    ExecOrThrow(*db_, FormatSql(" insert into sb_dmmcb(lb, dm, mc) values (9, %s, %s) ", {Q(mc), Q(mc)}));
  auto like = [&](const char* text) {
    SqlFilters f;
    f.AddLike(" and mc like ", text);
    return Column(*db_, FormatSql("select dm from sb_dmmcb where lb = %d %s order by dm", {9, f.Build()}));
  };
  EXPECT_EQ(like("100%"), std::vector<std::string>{"100%"});
  EXPECT_EQ(like("a_b"), std::vector<std::string>{"a_b"});
  EXPECT_EQ(like("c\\d"), std::vector<std::string>{"c\\d"});
  EXPECT_EQ(like("0").size(), 2u) << "an ordinary text still matches anywhere";
}

TEST_F(StoreDb, UpdateElseInsertInsertsOnlyWhenNothingChanged) {
  std::string error;
  auto upsert = [&](const char* dm, const char* mc) {
    return UpdateElseInsert(*db_, FormatSql("update sb_dmmcb set mc = %s where lb = 2 and dm = %s", {Q(mc), Q(dm)}),
                            FormatSql("insert into sb_dmmcb(lb, dm, mc) values (2, %s, %s)", {Q(dm), Q(mc)}), &error);
  };
  ASSERT_TRUE(upsert("001", "changed")) << error;
  ASSERT_TRUE(upsert("002", "new")) << error;
  EXPECT_EQ(Column(*db_, "select dm || '=' || mc from sb_dmmcb where lb = 2 order by dm"),
            (std::vector<std::string>{"001=changed", "002=new"}));
  EXPECT_FALSE(UpdateElseInsert(*db_, "update sb_dmmcb set mc = 'x' where lb = 9", "insert into nope values (1)", &error));
  EXPECT_EQ(error, "no such table: nope");
}

TEST_F(StoreDb, SaveKeyedRowAppendsOrEdits) {
  std::string error;
  const std::string select = FormatSql(" select * from sb_xtcsb where djxh = '%s' and key = '%s' ", {V("1"), V("k'")});
  const FieldValue first[] = {{"djxh", "1"}, {"key", "k'"}, {"value", "a"}};
  ASSERT_TRUE(SaveKeyedRow(*db_, select, first, &error)) << error;
  const FieldValue second[] = {{"djxh", "1"}, {"key", "k'"}, {"value", "b"}};
  ASSERT_TRUE(SaveKeyedRow(*db_, select, second, &error)) << error;
  EXPECT_EQ(Column(*db_, "select value from sb_xtcsb"), std::vector<std::string>{"b"});
  const FieldValue wrong[] = {{"djxh", "1"}, {"nope", "x"}};
  EXPECT_FALSE(SaveKeyedRow(*db_, select, wrong, &error));
  EXPECT_EQ(error, "字段[nope]不存在");
  EXPECT_FALSE(SaveKeyedRow(*db_, "select * from sb_xtcsb a join sb_dmmcb b", first, &error));
  EXPECT_EQ(error, "cannot edit: the columns come from more than one table");
}

TEST_F(StoreDb, MarkAndSweepRemovesWhatTheServerNoLongerHas) {
  ASSERT_TRUE(db_->ExecSQL(
      "insert into sb_ryjbxxb(djxh, rydjxh, updateFlag) values ('A', 'p1', 1), ('A', 'p2', 1), ('B', 'p3', 1);"
      "insert into sb_rycbjgxxb(djxh, rydjxh, updateFlag) values ('A', 'p1', 1), ('A', 'p2', 1);"
      "insert into sb_rycbxmb(djxh, rydjxh, xzid, updateFlag) values ('A', 'p1', 'x1', 1), ('B', 'p3', 'x3', 1);"
      "insert into sb_rycbztb(djxh, rydjxh, updateFlag) values ('A', 'p2', 1)"));
  MarkRows(*db_, kRosterTables, "A");
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_ryjbxxb where updateflag = 0"), "2");
  // The download brings p1 again.
  ASSERT_TRUE(db_->ExecSQL("update sb_ryjbxxb set updateFlag = 1 where djxh = 'A' and rydjxh = 'p1';"
                           "update sb_rycbjgxxb set updateFlag = 1 where djxh = 'A' and rydjxh = 'p1';"
                           "update sb_rycbxmb set updateFlag = 1 where djxh = 'A' and xzid = 'x1'"));
  SweepRows(*db_, kRosterTables, "A");
  EXPECT_EQ(Column(*db_, "select djxh || rydjxh from sb_ryjbxxb order by 1"), (std::vector<std::string>{"Ap1", "Bp3"}));
  EXPECT_EQ(Column(*db_, "select rydjxh from sb_rycbjgxxb"), std::vector<std::string>{"p1"});
  EXPECT_EQ(Column(*db_, "select xzid from sb_rycbxmb order by 1"), (std::vector<std::string>{"x1", "x3"}));
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_rycbztb"), "0");
}

TEST_F(StoreDb, FailedMarkLeavesEveryTableAsItWas) {
  ASSERT_TRUE(db_->ExecSQL("insert into sb_ryjbxxb(djxh, rydjxh, updateFlag) values ('A', 'p1', 1);"
                           "insert into sb_rycbztb(djxh, rydjxh, updateFlag) values ('A', 'p1', 1)"));
  FaultInjection::FailStatement(4);
  try {
    MarkRows(*db_, kRosterTables, "A");
    ADD_FAILURE() << "no exception";
  } catch (const StoreError& e) {
    EXPECT_STREQ(e.what(), "数据库更新失败。injected fault: statement failed");
    EXPECT_EQ(e.UserText(), kDbUpdateFailed);
  }
  EXPECT_EQ(Scalar(*db_, "select count(*) from sb_ryjbxxb where updateFlag = 1"), "1");
}

TEST_F(StoreDb, FailedStatementsRaiseWithTheFixedTextAndTheEngineMessage) {
  try {
    QueryOrThrow(*db_, "select * from nope");
    ADD_FAILURE() << "no exception";
  } catch (const StoreError& e) {
    EXPECT_STREQ(e.what(), "数据库查询失败。no such table: nope");
  }
  Ref<IDBDataSet> ds = QueryOrThrow(*db_, "select count(*) as zs from sb_dmmcb");
  EXPECT_EQ(FieldInt(*ds, "ZS"), 46);
  try {
    FieldText(*ds, "nope");
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "字段[nope]不存在");
  }
}

}  // namespace
}  // namespace velmor::testing
