// TRcsbDAO lookups: masters with details by voucher and item, voucher / summary-line pairs of a
// period (own and group declarations), and names filled from the roster.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "store_env.h"
#include "velmor/rcsb_dao.h"

namespace velmor::testing {
namespace {

using Json = nlohmann::ordered_json;

class RcsbLookup : public ::testing::Test {
 protected:
  void Exec(const std::string& sql) {
    Ref<IDBMechanism> db = env_.Db();
    ASSERT_TRUE(db->ExecSQL(sql)) << db->GetErrorText();
  }
  // A master with two details (items P1 and P2) and one person without name.
  void Master(int id, const std::string& djxh, const std::string& yzpzxh, int sbzt, const std::string& sbsj) {
    const std::string i = std::to_string(id);
    Exec("insert into ds_sbzb(id, djxh, yzpzxh, sbzt, sbsj, sblx, zje) values (" + i + ", '" + djxh + "', '" +
         yzpzxh + "', " + std::to_string(sbzt) + ", '" + sbsj + "', '00', 10)");
    Exec("insert into ds_sbmxb(zbid, zspmdm, hzmxxh) values (" + i + ", 'P1', 'H" + i + "a')");
    Exec("insert into ds_sbmxb(zbid, zspmdm, hzmxxh) values (" + i + ", 'P2', 'H" + i + "b')");
    Exec("insert into ds_sbrymxb(mxbid, mxxh, xm, sbjbjgdm, rybh) values (" + i + ", '1', '', 'A01', 'R" + i + "')");
  }

  StoreEnv env_;
  Ref<IRcsbDAO> dao_ = env_.Create<IRcsbDAO>();
};

TEST_F(RcsbLookup, MastersByVoucherCarryOnlyTheWantedDetails) {
  Master(1, "10011", "V1", 2, "2026-01-05 10:00:00");
  Master(2, "10011", "V2", 2, "2026-01-06 10:00:00");
  Master(3, "99999", "V3", 2, "2026-01-06 10:00:00");
  std::string rows;
  ASSERT_TRUE(dao_->QuerySbzbDatas("10011", R"(["V2","V1","V3","x' or '1'='1"])", R"(["P2"])", rows))
      << dao_->GetErrorMessage();
  Json got = Json::parse(rows);
  ASSERT_EQ(got.size(), 2u) << "the other payer's voucher stays out, the quote is only a value";
  EXPECT_EQ(got[0]["yzpzxh"], "V1");
  ASSERT_EQ(got[0]["details"].size(), 1u);
  EXPECT_EQ(got[0]["details"][0]["hzmxxh"], "H1b");
  ASSERT_TRUE(dao_->QuerySbzbDatas("10011", R"(["V1"])", "", rows));
  EXPECT_EQ(Json::parse(rows)[0]["details"].size(), 2u);
  ASSERT_TRUE(dao_->QuerySbzbDatas("10011", R"(["V1"])", R"(["NONE"])", rows));
  EXPECT_EQ(rows, "[]");
  ASSERT_TRUE(dao_->QuerySbzbDatas("10011", "[]", "", rows));
  EXPECT_EQ(rows, "[]");
  EXPECT_FALSE(dao_->QuerySbzbDatas("10011", R"([1])", "", rows));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库查询异常");
  EXPECT_FALSE(dao_->QuerySbzbDatas("10011", "not json", "", rows));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库查询异常");
}

TEST_F(RcsbLookup, VoucherLinesOfAPeriodIncludeGroupDeclarations) {
  Master(1, "10011", "V1", 2, "2026-01-05 10:00:00");
  Master(2, "10011", "V2", 3, "2026-01-05 10:00:00");  // failed: not declared
  Master(3, "10011", "V3", 6, "2026-02-05 10:00:00");  // outside the days
  Exec("insert into ds_jtbzhsbjlb(id, djxh, yzpzxh, sbrq) values (7, '10011', 'G1', '2026-01-20 08:00:00')");
  Exec("insert into ds_jtbzhsbjlqdb(zbid, hzmxxh) values (7, 'GH1')");
  std::string rows;
  ASSERT_TRUE(dao_->getAllJfrlxYzmxList("10011", "2026-01-01", "2026-01-31", rows)) << dao_->GetErrorMessage();
  EXPECT_EQ(Json::parse(rows), Json::parse(R"([{"yzpzxh":"V1","hzmxxh":"H1a"},{"yzpzxh":"V1","hzmxxh":"H1b"},
                                             {"yzpzxh":"G1","hzmxxh":"GH1"}])"));
  ASSERT_TRUE(dao_->getAllJfrlxYzmxList("10011", "2025-01-01", "2025-12-31", rows));
  EXPECT_EQ(rows, "[]");
}

TEST_F(RcsbLookup, NamesMissingFromDownloadedPersonsComeFromTheRoster) {
  Master(1, "10011", "V1", 2, "2026-01-05 10:00:00");
  Master(2, "10011", "V2", 2, "2026-01-05 10:00:00");
  Exec("insert into sb_rycbjgxxb(djxh, rydjxh, sbjbjgdm, rybh) values ('10011', 'P1', 'A01', 'R1')");
  Exec("insert into sb_ryjbxxb(djxh, rydjxh, xm, zjlx, zjhm, jdxzDm, sqczDm, tsrylbDm) values "
       "('10011', 'P1', '王''五', '201', '110101199001010011', 'J1', 'S1', 'T1')");
  // Another payer's roster row with the same agency number is not used.
  Exec("insert into sb_rycbjgxxb(djxh, rydjxh, sbjbjgdm, rybh) values ('20022', 'P9', 'A01', 'R2')");
  Exec("insert into sb_ryjbxxb(djxh, rydjxh, xm) values ('20022', 'P9', '外单位')");
  int32_t filled = -1;
  ASSERT_TRUE(dao_->DealNullXm("10011", filled)) << dao_->GetErrorMessage();
  EXPECT_EQ(filled, 1);
  Ref<IDBMechanism> db = env_.Db();
  EXPECT_EQ(Scalar(*db, "select xm || '|' || zjlx || '|' || zjhm || '|' || xz_xzjddm || '|' || xz_sqhczdm || '|' || "
                        "cbrytslbdm from ds_sbrymxb where mxbid = 1"),
            "王'五|201|110101199001010011|J1|S1|T1");
  EXPECT_EQ(Scalar(*db, "select xm from ds_sbrymxb where mxbid = 2"), "");
  ASSERT_TRUE(dao_->DealNullXm("10011", filled));
  EXPECT_EQ(filled, 0) << "a filled name is not filled again";
}

}  // namespace
}  // namespace velmor::testing
