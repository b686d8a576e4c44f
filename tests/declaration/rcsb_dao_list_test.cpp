// TRcsbDAO storing downloaded declaration lists: known vouchers updated, new ones inserted with
// their details, rows not in force ignored, a refused or malformed answer storing nothing.
#include <gtest/gtest.h>

#include "host/db/fault_injection.h"
#include "store_env.h"
#include "velmor/rcsb_dao.h"

namespace velmor::testing {
namespace {

using host::db::FaultInjection;

std::string Row(const std::string& yzpzxh, const std::string& yxbz, const std::string& yjfehj,
                const std::string& fkssqq = "2026-01-01") {
  return "<sbqkxx><yzpzxh>" + yzpzxh + "</yzpzxh><sbrq>2026-03-05 10:00:00</sbrq><yxbz>" + yxbz +
         "</yxbz><yjfehj>" + yjfehj +
         "</yjfehj><sbxz>1</sbxz><sbDetailList><sbDetail><jfrs>3</jfrs><yjfe>" + yjfehj + "</yjfe><fkssqq>" + fkssqq +
         "</fkssqq><fkssqz>2026-12-31</fkssqz><zsxmDm>10210</zsxmDm><zspmDm>102100100</zspmDm><sjly>01</sjly>"
         "<sbbm>D1</sbbm><sbjbjgDm>A01</sbjbjgDm><sfczmx>Y</sfczmx><sblsh>S1</sblsh><xxh>1</xxh><hzmxxh>H9</hzmxxh>"
         "</sbDetail></sbDetailList></sbqkxx>";
}

std::string Answer(const std::string& rows, const std::string& code = "00000") {
  return "<?xml version=\"1.0\"?><taxML><code>" + code + "</code><message>没有数据</message><sbqkxxList>" + rows +
         "</sbqkxxList></taxML>";
}

class RcsbList : public ::testing::Test {
 protected:
  std::string Get(const std::string& sql) {
    Ref<IDBMechanism> db = env_.Db();
    return Scalar(*db, sql);
  }
  StoreEnv env_;
  Ref<IRcsbDAO> dao_ = env_.Create<IRcsbDAO>();
};

TEST_F(RcsbList, UpdatesAKnownVoucherInsertsANewOneAndIgnoresRowsNotInForce) {
  Ref<IDBMechanism> db = env_.Db();
  ASSERT_TRUE(db->ExecSQL("insert into ds_sbzb(djxh, yzpzxh, sbzt, zje) values ('10011', 'V1', 1, 5)"));
  ASSERT_TRUE(db->ExecSQL("insert into ds_sbmxb(zbid, sblsh, xxh) values (1, 'S1', '1')"));
  ASSERT_TRUE(dao_->SaveSbfysbqd("10011", Answer(Row("V1", "Y", "120.5") + Row("V2", "Y", "0") + Row("V3", "N", "9"))))
      << dao_->GetErrorMessage();
  EXPECT_EQ(Get("select group_concat(id || ':' || yzpzxh || ':' || sbzt || ':' || zje || ':' || ifnull(jkzt, '-'), ',')"
                " from ds_sbzb"),
            "1:V1:2:120.5:-,2:V2:2:0.0:8");
  EXPECT_EQ(Get("select hzmxxh from ds_sbmxb where zbid = 1"), "H9");
  EXPECT_EQ(Get("select zrs || '|' || jfnd || '|' || dwbh || '|' || sfyrymx || sfyxzrymx || '|' || hzmxxh from ds_sbmxb "
                "where zbid = 2"),
            "3|2026|D1|10|H9");
  EXPECT_EQ(Get("select zrs from ds_sbzb where id = 2"), "3");
  ASSERT_TRUE(dao_->saveSbqdCxSjjk("10011", Answer(Row("V4", "Y", "7"))));
  EXPECT_EQ(Get("select zrs from ds_sbzb where yzpzxh = 'V4'"), "0");
}

TEST_F(RcsbList, ARefusedOrMalformedAnswerStoresNothing) {
  EXPECT_FALSE(dao_->SaveSbfysbqd("10011", Answer(Row("V1", "Y", "1"), "20001")));
  EXPECT_EQ(dao_->GetErrorMessage(), "没有数据");
  EXPECT_FALSE(dao_->SaveSbfysbqd("10011", "<taxML><code>00000</code></taxML>"));
  EXPECT_EQ(dao_->GetErrorMessage(), "反馈报文异常。");
  EXPECT_FALSE(dao_->SaveSbfysbqd("10011", "<taxML><code>"));
  EXPECT_EQ(dao_->GetErrorMessage(), "反馈报文异常。");
  // The second row's amount is no number: the first row must not stay either.
  EXPECT_FALSE(dao_->SaveSbfysbqd("10011", Answer(Row("V1", "Y", "1") + Row("V2", "Y", "abc"))));
  EXPECT_EQ(dao_->GetErrorMessage(), "反馈报文异常。");
  FaultInjection::FailStatement(4);
  EXPECT_FALSE(dao_->SaveSbfysbqd("10011", Answer(Row("V1", "Y", "1") + Row("V2", "Y", "2"))));
  EXPECT_EQ(dao_->GetErrorMessage(), "数据库执行失败");
  FaultInjection::Clear();
  EXPECT_EQ(Get("select count(*) from ds_sbzb") + Get("select count(*) from ds_sbmxb"), "00");
}

TEST_F(RcsbList, ApostrophesInListValuesAreStoredIntact) {
  ASSERT_TRUE(dao_->SaveSbfysbqd("10'011", Answer(Row("V'1", "Y", "1"))));
  EXPECT_EQ(Get("select djxh || yzpzxh from ds_sbzb"), "10'011V'1");
  ASSERT_TRUE(dao_->SaveSbfysbqd("10'011", Answer(Row("V'1", "Y", "2"))));
  EXPECT_EQ(Get("select count(*) || '|' || zje from ds_sbzb"), "1|2.0");
}

}  // namespace
}  // namespace velmor::testing
