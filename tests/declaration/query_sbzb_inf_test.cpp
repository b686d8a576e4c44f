// TQuerySbzbInfDAO on the host database: declared persons only, distinct, filtered, paged into
// the keyed pack, and restricted to a roster group by an inner join.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "declaration/query_sbzb_inf_dao.h"
#include "store_env.h"

namespace velmor::testing {
namespace {

class QuerySbzbInf : public ::testing::Test {
 protected:
  void SetUp() override {
    Ref<IDBMechanism> db = env_.Db();
    const char* sql[] = {
        "insert into ds_sbzb(id, djxh, sbzt, sbsj, yzpzxh) values (1, 'D1', 2, '2026-03-01 10:00:00', 'V1'), "
        "(2, 'D1', 3, '2026-03-02 10:00:00', ''), (3, 'D2', 2, '2026-03-01 10:00:00', 'V3'), "
        "(4, 'D1', 6, '2026-04-01 10:00:00', 'V4')",
        "insert into ds_sbrymxb(mxbid, xm, zjlx, zjhm, zspmdm, fkssqq, fkssqz, jfnd) values "
        "(1, '张三', '201', '110A', '102100100', '2026-01-01', '2026-12-31', '2026'), "
        "(1, 'O''Neil', '201', '110B', '102100100', '2026-01-01', '2026-06-30', '2026'), "
        "(2, '失败', '201', '110C', '102100100', '2026-01-01', '2026-12-31', '2026'), "
        "(3, '他户', '201', '110D', '102100100', '2026-01-01', '2026-12-31', '2026'), "
        "(4, '张三', '201', '110A', '102100100', '2026-01-01', '2026-12-31', '2026')",
        "insert into sb_fzxxb(id, djxh, fzmc, fullname, fullpath) values (5, 'D1', '五组', '一组/五组', ',1,5,')",
        "insert into sb_ryjbxxb(djxh, xm, zjlx, zjhm, fzid, fullpath) values ('D1', '张三', '201', '110A', 5, "
        "',1,5,'), ('D1', 'O''Neil', '201', '110B', -1, '')",
    };
    for (const char* s : sql) ASSERT_TRUE(db->ExecSQL(s)) << s;
  }
  StoreEnv env_;
  TQuerySbzbInfDAO dao_;
};

TEST_F(QuerySbzbInf, PagesTheDistinctDeclaredPersonsOfThePayerIntoTheKeyedPack) {
  ASSERT_TRUE(dao_.Query(R"({"djxh":"D1"})", 1, 10)) << dao_.ErrorMessage();
  EXPECT_EQ(dao_.Total(), 3) << "a failed master (state 3) and another payer's rows are left out";
  ASSERT_EQ(dao_.Count(), 3);
  ASSERT_NE(dao_.Find("201|110B"), nullptr);
  EXPECT_EQ(dao_.Find("201|110B")->data["xm"], "O'Neil");
  EXPECT_EQ(dao_.Find("201|110A")->data["fullname"], "一组/五组");
  EXPECT_EQ(dao_.Position(), 0);

  ASSERT_TRUE(dao_.Query(R"({"djxh":"D1"})", 2, 2));
  EXPECT_EQ(dao_.Total(), 3);
  EXPECT_EQ(dao_.Count(), 1) << "the second page of two";
}

TEST_F(QuerySbzbInf, FiltersByNameDaysFeePeriodAndGroup) {
  ASSERT_TRUE(dao_.Query(R"({"djxh":"D1","xm":"'Ne"})", -1, 0)) << dao_.ErrorMessage();
  EXPECT_EQ(dao_.Total(), 1);
  ASSERT_TRUE(dao_.Query(R"({"djxh":"D1","sbrqq":"2026-04-01","sbrqz":"2026-04-30"})", -1, 0));
  EXPECT_EQ(dao_.Total(), 1);
  ASSERT_TRUE(dao_.Query(R"({"djxh":"D1","fkssqq":"2026-07-01","fkssqz":"2026-07-31"})", -1, 0));
  EXPECT_EQ(dao_.Total(), 2) << "only periods overlapping July: O'Neil's ends in June";
  ASSERT_TRUE(dao_.Query(R"({"djxh":"D1","fzid":"5"})", -1, 0));
  EXPECT_EQ(dao_.Total(), 2) << "the group's person, declared twice";
  ASSERT_TRUE(dao_.Query(R"({"djxh":"D1","fzid":"-1"})", -1, 0));
  EXPECT_EQ(dao_.Total(), 3);
}

TEST_F(QuerySbzbInf, BadInputEmptiesThePackAndSaysWhy) {
  ASSERT_TRUE(dao_.Query(R"({"djxh":"D1"})", 1, 10));
  EXPECT_FALSE(dao_.Query("not json", 1, 10));
  EXPECT_FALSE(dao_.ErrorMessage().empty());
  EXPECT_EQ(dao_.Count(), 0);
  EXPECT_EQ(dao_.Total(), 0);
  EXPECT_FALSE(dao_.Query(R"({"djxh":"D1"})", 0, 10)) << "page 0 does not exist";
}

}  // namespace
}  // namespace velmor::testing
